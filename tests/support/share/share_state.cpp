#include "share_state.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace share {

namespace {

constexpr std::array<const char*, static_cast<size_t>(Kind::Count)> kKindNames = {
    "lookup", "forget", "getattr", "setattr", "readlink", "mkdir", "unlink", "rmdir", "rename", "open", "read",
    "write", "flush", "release", "fsync", "opendir", "readdir", "releasedir", "statfs", "create"};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::optional<double> Number(const std::string& word) {
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0' || !(value >= 0)) return std::nullopt;
    return value;
}

// The rest of a command line after the words read so far, without its leading blanks.
std::string Rest(std::istringstream& words) {
    std::string rest;
    std::getline(words >> std::ws, rest);
    return rest;
}

// "KIND" or "KIND:PATH", KIND being a request kind or "any".
std::optional<Match> MatchOf(const std::string& text) {
    const size_t colon = text.find(':');
    const std::string kindName = text.substr(0, colon);
    Match match;
    if (colon != std::string::npos) match.path = text.substr(colon + 1);
    if (kindName == "any") return match;
    match.kind = KindNamed(kindName);
    if (!match.kind) return std::nullopt;
    return match;
}

const char* const kUsage =
    "error: commands: ping | counters | reset | eio BYTES PATH | down [after N MATCH] | up | "
    "stall SECONDS [after N] MATCH | clear   (MATCH: KIND or KIND:PATH, KIND a request kind or any)";

}  // namespace

const char* NameOf(Kind kind) { return kKindNames[static_cast<size_t>(kind)]; }

std::optional<Kind> KindNamed(const std::string& name) {
    for (size_t i = 0; i < kKindNames.size(); ++i)
        if (name == kKindNames[i]) return static_cast<Kind>(i);
    return std::nullopt;
}

bool Match::Matches(Kind requestKind, const std::string& requestPath) const {
    return (!kind || *kind == requestKind) && (path.empty() || SameIgnoringCase(path, requestPath));
}

int ShareState::Admit(Kind kind, const std::string& path) {
    counts_[static_cast<size_t>(kind)]++;
    Sleep(Fire(kind, path));
    Sleep(settings_.delaySeconds);
    return down_ || stopping_ ? ENOTCONN : 0;
}

double ShareState::Fire(Kind kind, const std::string& path) {
    std::lock_guard lock(mutex_);
    double stall = 0;
    for (auto it = triggers_.begin(); it != triggers_.end();) {
        if (!it->match.Matches(kind, path) || it->skip-- > 0) {
            ++it;
            continue;
        }
        if (it->action == Trigger::Action::Down) down_ = true;
        else stall += it->seconds;
        it = triggers_.erase(it);
    }
    return stall;
}

void ShareState::Sleep(double seconds) {
    if (seconds <= 0) return;
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    if (seconds < 0.01) {  // the delay of every request: a plain sleep, cheaper than the lock
        std::this_thread::sleep_until(until);
        return;
    }
    std::unique_lock lock(mutex_);
    stopped_.wait_until(lock, until, [this] { return stopping_.load(); });
}

int ShareState::ReadFault(const std::string& path, uint64_t offset, uint64_t size) {
    std::lock_guard lock(mutex_);
    for (const FailingRead& failing : failingReads_)
        if (SameIgnoringCase(failing.path, path) && offset + size > failing.bytes) return EIO;
    return 0;
}

void ShareState::PassWire(uint64_t bytes) {
    readBytes_ += bytes;
    if (settings_.readBitsPerSecond <= 0 || bytes == 0) return;
    const auto onWire = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(static_cast<double>(bytes) * 8 / settings_.readBitsPerSecond));
    std::chrono::steady_clock::time_point done;
    {
        std::lock_guard lock(mutex_);
        wireFree_ = std::max(wireFree_, std::chrono::steady_clock::now()) + onWire;
        done = wireFree_;
    }
    std::this_thread::sleep_until(done);
}

void ShareState::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
}

std::string ShareState::Counters() const {
    std::ostringstream out;
    int64_t requests = 0;
    for (size_t i = 0; i < counts_.size(); ++i) {
        out << kKindNames[i] << ' ' << counts_[i] << '\n';
        if (static_cast<Kind>(i) != Kind::Forget) requests += counts_[i];
    }
    out << "requests " << requests << "\nread_bytes " << readBytes_ << "\nwrite_bytes " << writtenBytes_ << '\n';
    return out.str();
}

void ShareState::ResetCounters() {
    for (auto& count : counts_) count = 0;
    readBytes_ = 0;
    writtenBytes_ = 0;
}

std::string ShareState::Arm(Trigger trigger) {
    std::lock_guard lock(mutex_);
    triggers_.push_back(std::move(trigger));
    return "ok";
}

std::string ShareState::Command(const std::string& line) {
    std::istringstream words(line);
    std::string verb, word;
    words >> verb;
    if (verb == "ping") return "ok";
    if (verb == "counters") return Counters();
    if (verb == "reset") {
        ResetCounters();
        return "ok";
    }
    if (verb == "up" || verb == "clear") {
        std::lock_guard lock(mutex_);
        if (verb == "clear") {
            triggers_.clear();
            failingReads_.clear();
        }
        down_ = false;
        return "ok";
    }
    if (verb == "eio" && words >> word && Number(word)) {
        const std::string path = Rest(words);
        if (path.empty()) return kUsage;
        std::lock_guard lock(mutex_);
        failingReads_.push_back({path, static_cast<uint64_t>(*Number(word))});
        return "ok";
    }
    if (verb == "down") {
        if (!(words >> word)) {
            down_ = true;
            return "ok";
        }
        std::string count;
        const auto match = word == "after" && words >> count && Number(count) ? MatchOf(Rest(words)) : std::nullopt;
        if (!match) return kUsage;
        return Arm({Trigger::Action::Down, *match, static_cast<int64_t>(*Number(count)), 0});
    }
    if (verb == "stall" && words >> word && Number(word)) {
        const double seconds = *Number(word);
        int64_t skip = 0;
        std::string rest = Rest(words);
        if (rest.rfind("after ", 0) == 0) {
            std::istringstream after(rest.substr(6));
            std::string count;
            if (!(after >> count) || !Number(count)) return kUsage;
            skip = static_cast<int64_t>(*Number(count));
            rest = Rest(after);
        }
        const auto match = MatchOf(rest);
        if (!match) return kUsage;
        return Arm({Trigger::Action::Stall, *match, skip, seconds});
    }
    return kUsage;
}

}  // namespace share
