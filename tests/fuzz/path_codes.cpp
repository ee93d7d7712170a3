// The path codes on fuzzed settings. Folders are created for real, but inside a temporary folder:
// every path the resolver touches is mapped into it (drive and root dropped, ".." kept inside).
// Properties: only the codes with a folder to ensure fail on folders or create any, only the
// year codes fail on numbers and exactly when a number does not read; a call repeated gives the
// same answer and creates nothing more; letter case of the code does not matter.
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <set>

#include "fuzz_support.h"
#include "support/empty_file_system.h"
#include "platform/text.h"
#include "settings/configuracao.h"
#include "settings/retorna_caminho.h"
#include "support/temp_dir.h"

namespace {

class Sandbox : public testing_support::EmptyFileSystem {
public:
    bool dirExists(const std::string& path) override { return native_->dirExists(Confined(path)); }
    bool createDirectory(const std::string& path) override {
        const bool made = native_->createDirectory(Confined(path));
        created += made;
        return made;
    }
    void Empty() {
        if (created == 0) return;
        for (const auto& entry : std::filesystem::directory_iterator(temp_.path())) std::filesystem::remove_all(entry);
        created = 0;
    }
    int created = 0;

private:
    // Where a Windows-form path lands in the sandbox: drive and root dropped, ".." kept inside;
    // a relative path starts there too.
    std::string Confined(std::string path) const {
        if (path.size() >= 2 && path[1] == ':') path.erase(0, 2);
        std::replace(path.begin(), path.end(), '\\', '/');
        return temp_.path().string() + std::filesystem::path("/" + path).lexically_normal().string();
    }

    testing_support::TempDir temp_;
    std::shared_ptr<platform::FileSystem> native_ = platform::makeNativePlatform().files;
};

struct Outcome {
    std::string result;
    enum Kind { Result, PathError, ConversionError } kind = Result;
    bool operator==(const Outcome&) const = default;
};

Outcome Resolve(const platform::Platform& machine, const std::string& code) {
    try {
        return {settings::RetornaCaminho(machine, code), Outcome::Result};
    } catch (const settings::PathError& e) {
        return {e.what(), Outcome::PathError};
    } catch (const settings::ConversionError& e) {
        return {e.what(), Outcome::ConversionError};
    }
}

// An optional sign and decimal digits that fit 32 bits, read by the standard library.
bool WholeNumber(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

const std::set<std::string> kEnsuring = {"BKAD", "BKAB", "TPD", "TPB", "DE", "DI", "RTM", "RTMSSE", "RPT", "IMA", "SB", "STB"};
// Codes whose result is the very folder they ensured, in server and in local mode.
const std::set<std::string> kGivingFolder[2] = {{"BKAD", "BKAB", "TPB", "TPD", "DE", "DI", "RTM", "RTMSSE", "IMA"},
                                                {"BKAD", "TPD", "DE", "DI", "RTM", "RTMSSE"}};
const std::string kCannotCreate = "Não é possível criar o diretório: ";

void CheckCode(const platform::Platform& machine, Sandbox& sandbox, const settings::TConfigInstalacao& c,
               const std::string& code) {
    const std::string upper = platform::upperAscii(code);
    const bool yearCode = upper.rfind("DA", 0) == 0 || upper.rfind("BA", 0) == 0;
    const Outcome first = Resolve(machine, code);
    const std::string detail = fuzz::Visible(code) + " -> " + fuzz::Visible(first.result);
    FUZZ_CHECK(sandbox.created == 0 || kEnsuring.count(upper), detail);
    FUZZ_CHECK(first.kind != Outcome::PathError || kEnsuring.count(upper), detail);
    FUZZ_CHECK((first.kind == Outcome::ConversionError) ==
                   (yearCode && !(WholeNumber(c.Ano) && (code.size() == 2 || WholeNumber(code.substr(2))))),
               detail + " Ano=" + fuzz::Visible(c.Ano));
    if (first.kind == Outcome::PathError) {
        FUZZ_CHECK(first.result.rfind(kCannotCreate, 0) == 0, detail);
        FUZZ_CHECK(!sandbox.dirExists(first.result.substr(kCannotCreate.size())), detail);
    }
    if (first.kind == Outcome::Result && kGivingFolder[!c.Servidor.empty()].count(upper))
        FUZZ_CHECK(sandbox.dirExists(first.result), detail);
    const int created = sandbox.created;
    FUZZ_CHECK(Resolve(machine, code) == first && sandbox.created == created, detail);
    std::string lower = code;
    for (char& ch : lower)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    // A number error names the code's text as written; everything else must be the same.
    auto same = [&](const Outcome& o) { return o.kind == first.kind && (o.kind == Outcome::ConversionError || o == first); };
    FUZZ_CHECK(same(Resolve(machine, lower)) && same(Resolve(machine, upper)), detail);
}

// The two codes of the update run never fail and never create a folder.
void CheckRunCodes(const platform::Platform& machine, Sandbox& sandbox, const settings::TConfigInstalacao& c) {
    const bool server = !c.Servidor.empty();
    const Outcome exe = Resolve(machine, "EXE"), td = Resolve(machine, "td");
    FUZZ_CHECK(exe == Outcome{(server ? c.RaizServidor : c.RaizBaseDados) + "\\"}, fuzz::Visible(exe.result));
    FUZZ_CHECK(td == Outcome{(server ? c.RaizServidor : c.RaizTabDef) + "\\TABDEF\\"}, fuzz::Visible(td.result));
    FUZZ_CHECK(sandbox.created == 0, "EXE/TD created a folder");
}

}  // namespace

// The input's first line is the code; the rest is qor.ini.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1024) return 0;  // settings files are small; every call reads the file anew
    static auto sandbox = std::make_shared<Sandbox>();
    static auto system = std::make_shared<fuzz::IniInMemory>();
    static const platform::Platform machine{sandbox, nullptr, nullptr, system};
    const auto [code, ini] = fuzz::SplitAt(fuzz::AsText(data, size), '\n');
    system->iniBytes = std::string(ini);
    const settings::TConfigInstalacao c = settings::LerConfiguracao(*system);
    sandbox->Empty();
    CheckRunCodes(machine, *sandbox, c);
    CheckCode(machine, *sandbox, c, std::string(code));
    return 0;
}
