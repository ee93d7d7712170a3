// A program run to its end with a deadline, its standard output read through a pipe.
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_processes.h"

namespace platform::win32 {

namespace {

// One argument as the C runtime splits a command line again: quotes, and the backslashes before them.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring text = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        text.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        text += c;
    }
    text.append(backslashes * 2, L'\\');
    return text + L"\"";
}

// What is waiting on the pipe now, without blocking.
void drain(HANDLE pipe, std::string& output) {
    char buffer[8192];
    DWORD waiting = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, std::min<DWORD>(waiting, sizeof buffer), &got, nullptr) || got == 0) return;
        if (output.size() < kBoundedRunOutput)
            output.append(buffer, std::min<size_t>(got, kBoundedRunOutput - output.size()));
    }
}

}  // namespace

BoundedRun Win32Processes::runBounded(const std::string& program, const std::vector<std::string>& arguments,
                                      const std::string& folder, double seconds) {
    BoundedRun run;
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return run;
    Handle reader(readEnd), writer(writeEnd);
    SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    Handle nothing(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                               OPEN_EXISTING, 0, nullptr));
    std::wstring commandLine = quoted(toWide(program));
    for (const std::string& argument : arguments) commandLine += L" " + quoted(toWide(argument));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing.get();
    startup.hStdOutput = writer.get();
    startup.hStdError = nothing.get();
    PROCESS_INFORMATION info{};
    const std::wstring wideProgram = toWide(program), wideFolder = toWide(folder);
    if (!CreateProcessW(wideProgram.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        folder.empty() ? nullptr : wideFolder.c_str(), &startup, &info))
        return run;
    Handle process(info.hProcess), thread(info.hThread);
    writer.reset();  // the child holds the only writing end now
    run.started = true;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        drain(reader.get(), run.output);
        if (WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0) break;
        if (GetTickCount64() >= deadline) {
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), 5000);
            run.timedOut = true;
            return run;
        }
    }
    drain(reader.get(), run.output);
    DWORD code = 0;
    if (GetExitCodeProcess(process.get(), &code)) run.exitCode = static_cast<int>(code);
    return run;
}

}  // namespace platform::win32
