#include "ui/headless/headless_backend.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace ui {

namespace {

const char* KindName(BoxKind kind) {
    switch (kind) {
        case BoxKind::Information: return "information";
        case BoxKind::Warning: return "warning";
        case BoxKind::Error: return "error";
        case BoxKind::Confirmation: return "confirmation";
        case BoxKind::Plain: return "plain";
    }
    return "plain";
}

const char* AnswerName(Answer answer) {
    switch (answer) {
        case Answer::OK: return "OK";
        case Answer::Yes: return "Yes";
        case Answer::No: return "No";
    }
    return "OK";
}

// One status line per change: line breaks inside a caption would split it.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

void ListNodes(const std::vector<std::unique_ptr<TTreeNode>>& nodes, const std::string& indent, std::string& out) {
    for (const auto& node : nodes) {
        out += indent + OneLine(node->Text) + "\n";
        ListNodes(node->Children, indent + "  ", out);
    }
}

}  // namespace

std::string HeadlessWindowListing(const TForm& form) {
    std::string listing = "--- window " + OneLine(form.Caption) + "\n";
    for (const TControl* control : form.Controls())
        if (const auto* tree = dynamic_cast<const TTreeView*>(control)) ListNodes(tree->Items, "", listing);
    return listing;
}

std::string HeadlessBoxBlock(BoxKind kind, const std::string& text, Answer answer) {
    std::string block = std::string("--- ") + KindName(kind) + "\n";
    for (char c : text) block += c == '\r' ? '\n' : c;
    block += std::string("\n--- answer: ") + AnswerName(answer) + "\n";
    return block;
}

void HeadlessBackend::ShowForm(TForm& form) {
    const bool first = echoed_.try_emplace(&form).second;
    // A window with a title bar is one a person would look at: its content goes where the boxes
    // go. The borderless splash panel only echoes its status lines.
    if (first && form.Border != BorderStyle::None) {
        const std::string listing = HeadlessWindowListing(form);
        std::fwrite(listing.data(), 1, listing.size(), stdout);
        std::fflush(stdout);
    }
    Refresh(form);
}

void HeadlessBackend::DestroyForm(TForm& form) {
    echoed_.erase(&form);
    form.NativeHandle = nullptr;
}

void HeadlessBackend::Echo(const TForm& form, const TLabel& label, Echoed& echoed, double now) {
    echoed = {label.Caption, now};
    std::fprintf(stderr, "%s.%s: %s\n", form.Name.c_str(), label.Name.c_str(), OneLine(label.Caption).c_str());
}

void HeadlessBackend::EchoPendingCounters(const TForm& form) {
    auto found = echoed_.find(&form);
    if (found == echoed_.end()) return;
    for (const TControl* control : form.Controls()) {
        const auto* label = dynamic_cast<const TLabel*>(control);
        if (!label || !label->Visible || !label->FastChanging) continue;
        auto entry = found->second.find(label->Name);
        if (entry != found->second.end() && entry->second.caption != label->Caption)
            Echo(form, *label, entry->second, SteadySeconds());
    }
}

void HeadlessBackend::Refresh(TForm& form) {
    auto found = echoed_.find(&form);
    if (found == echoed_.end()) return;
    const double now = SteadySeconds();
    for (const TControl* control : form.Controls()) {
        const auto* label = dynamic_cast<const TLabel*>(control);
        if (!label || !label->Visible) continue;  // a hidden label shows nothing to echo
        auto [entry, added] = found->second.try_emplace(label->Name);
        if (!added && entry->second.caption == label->Caption) continue;
        if (!added && label->FastChanging && now - entry->second.at < kCounterEchoSeconds) continue;
        // A new file name or status comes after the counters' last values, as a person saw them.
        if (!label->FastChanging) EchoPendingCounters(form);
        Echo(form, *label, entry->second, now);
    }
}

void HeadlessBackend::Wait(double seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

Answer HeadlessBackend::MessageBox(BoxKind kind, const std::string&, const std::string& text, BoxLayout) {
    for (const auto& [form, labels] : echoed_) EchoPendingCounters(*form);
    Answer answer = Answer::OK;
    if (kind == BoxKind::Confirmation) {
        const char* confirm = std::getenv("ATUALIZA_CONFIRM");
        answer = confirm && std::string(confirm) == "yes" ? Answer::Yes : Answer::No;
    }
    const std::string block = HeadlessBoxBlock(kind, text, answer);
    std::fwrite(block.data(), 1, block.size(), stdout);
    std::fflush(stdout);
    return answer;
}

std::unique_ptr<Backend> MakeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

}  // namespace ui
