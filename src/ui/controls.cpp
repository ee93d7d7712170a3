#include "ui/controls.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "ui/application.h"

namespace ui {

void TProgressBar::SetMin(int64_t value) {
    if (value > max_) throw std::invalid_argument("progress bar: minimum above the maximum");
    min_ = value;
    position_ = std::max(position_, min_);
}

void TProgressBar::SetMax(int64_t value) {
    if (value < min_) throw std::invalid_argument("progress bar: maximum below the minimum");
    max_ = value;
    position_ = std::min(position_, max_);
}

void TProgressBar::SetPosition(int64_t value) { position_ = std::clamp(value, min_, max_); }

double SteadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

namespace {
std::vector<TTimer*>& timerList() {
    static std::vector<TTimer*> timers;
    return timers;
}
}  // namespace

const std::vector<TTimer*>& AllTimers() { return timerList(); }

TTimer::TTimer(std::string name) : TComponent(std::move(name)) { timerList().push_back(this); }

TTimer::~TTimer() { std::erase(timerList(), this); }

void TTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    if (enabled_) dueAt_ = SteadySeconds() + Interval / 1000.0;
}

void TTimer::Fire() {
    // The next tick is scheduled first, so that messages handled inside OnTimer do not tick again.
    dueAt_ = SteadySeconds() + Interval / 1000.0;
    if (OnTimer) OnTimer();
}

TTreeNode* TTreeNode::Add(std::string text) {
    auto node = std::make_unique<TTreeNode>();
    node->Text = std::move(text);
    Children.push_back(std::move(node));
    return Children.back().get();
}

TTreeNode* TTreeView::AddRoot(std::string text) {
    auto node = std::make_unique<TTreeNode>();
    node->Text = std::move(text);
    Items.push_back(std::move(node));
    return Items.back().get();
}

namespace {
TTreeNode* FindIn(const std::vector<std::unique_ptr<TTreeNode>>& nodes, const std::string& text) {
    for (const auto& node : nodes) {
        if (node->Text == text) return node.get();
        if (TTreeNode* found = FindIn(node->Children, text)) return found;
    }
    return nullptr;
}
}  // namespace

TTreeNode* TTreeView::FindNode(const std::string& text) const { return FindIn(Items, text); }

void TForm::AlignControls() {
    for (TControl* control : controls_) {
        if (control->Align != TAlign::alClient) continue;
        control->Left = 0;
        control->Top = 0;
        control->Width = ClientWidth;
        control->Height = ClientHeight;
    }
}

TForm::~TForm() {
    if (Application* application = CurrentApplication()) application->Forget(*this);
}

}  // namespace ui
