// The file engine's name and extension masks: the destination list that a copy builds from the
// files a search finds is compared with a reference mapping written from the rules (name part up
// to the last dot, "?" one character, "*" the rest from the same position, a literal as itself,
// names that differ only in ASCII letter case listed once).
#include "fileops/fx_file_manager.h"
#include "fileops/fx_names.h"
#include "fuzz_support.h"
#include "support/empty_file_system.h"

namespace {

class Listing : public testing_support::EmptyFileSystem {
public:
    std::vector<platform::DirEntry> entries;
    std::vector<platform::DirEntry> find(const std::string&) override { return entries; }
};

std::string ReferenceApply(std::string_view source, std::string_view mask) {
    const auto s = fuzz::ReferenceCharacters(source);
    std::string out;
    size_t i = 0;
    for (std::string_view m : fuzz::ReferenceCharacters(mask)) {
        if (m == "*" && i < s.size()) {
            for (; i < s.size(); ++i) out += s[i];
            return out;
        }
        if (m == "?") out += i < s.size() ? std::string(s[i]) : "";
        else if (m != "*") out += m;
        ++i;
    }
    return out;
}

std::pair<std::string_view, std::string_view> NameAndExtension(std::string_view file) {
    const size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) return {file, {}};
    return {file.substr(0, dot), file.substr(dot + 1)};
}

std::string Folded(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return text;
}

std::vector<std::string> ReferenceTargets(const std::vector<platform::DirEntry>& found, std::string_view destination) {
    const size_t cut = destination.find_last_of("\\/");
    const std::string_view folder = cut == std::string_view::npos ? "" : destination.substr(0, cut + 1);
    const auto [nameMask, extMask] = NameAndExtension(destination.substr(folder.size()));
    std::vector<std::string> targets;
    for (const platform::DirEntry& entry : found) {
        const auto [name, ext] = NameAndExtension(entry.name);
        std::string target = std::string(folder) + ReferenceApply(name, nameMask);
        const std::string e = ReferenceApply(ext, extMask);
        if (!e.empty()) target += "." + e;
        bool listed = false;
        for (const std::string& t : targets) listed = listed || Folded(t) == Folded(target);
        if (!listed) targets.push_back(target);
    }
    return targets;
}

}  // namespace

// The first line is the destination path; every further line one file name the search finds.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto listing = std::make_shared<Listing>();
    auto [destination, rest] = fuzz::SplitAt(fuzz::AsText(data, size), '\n');
    listing->entries.clear();
    while (!rest.empty() && listing->entries.size() < 16) {
        const auto [name, next] = fuzz::SplitAt(rest, '\n');
        rest = next;
        // A search never reports a name with a separator, nor "." or "..".
        if (name.empty() || name.find_first_of("\\/") != std::string_view::npos || name == "." || name == "..") continue;
        listing->entries.push_back({std::string(name), platform::attr::Archive, 0, std::nullopt});
        FUZZ_CHECK(fileops::ApplyMask(name, destination) == ReferenceApply(name, destination),
                   fuzz::Visible(name) + " through " + fuzz::Visible(destination));
    }
    fileops::TFxFileManager engine(listing);
    engine.SetSource("S:\\origem\\*.*");
    engine.SetDestination(std::string(destination));
    engine.OnStart = [](fileops::TFxFileManager& sender) { sender.Abort(); };  // map, copy nothing
    engine.Execute();
    FUZZ_CHECK(engine.ListDest() == ReferenceTargets(listing->entries, destination), fuzz::Visible(destination));
    return 0;
}
