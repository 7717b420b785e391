// The operating-system facts of system.h on Windows. Paths are narrow strings in the system's
// code page, as the C library's file functions take them.

#include "host/cli/system.h"

#include <windows.h>

#include <io.h>

namespace rimelace_cli::sys {

namespace {

std::string LastErrorText() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string why = text ? text : "";
    if (text) LocalFree(text);
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' ' || why.back() == '.'))
        why.pop_back();
    if (why.empty()) why = "system error " + std::to_string(code);
    return why;
}

std::size_t LastSeparator(const std::string& path) {
    return path.find_last_of("/\\");
}

} // namespace

const char* const kModuleFileName = "Lorvex.8bf";

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

std::string FolderOf(const std::string& path) {
    const auto slash = LastSeparator(path);
    if (slash == std::string::npos) {
        if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2); // "C:name": C's current folder
        return ".";
    }
    // The root keeps its separator: "/x" -> "/", "C:\x" -> "C:\".
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = LastSeparator(path);
    if (slash != std::string::npos) return path.substr(slash + 1);
    if (path.size() >= 2 && path[1] == ':') return path.substr(2);
    return path;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FolderProblem(const std::string& folder) {
    // Access rights are settled by creating the file itself, which reports a refusal by name.
    return IsFolder(folder) ? "" : "does not exist";
}

bool SameFile(const std::string& a, const std::string& b) {
    auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
        HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        const bool ok = GetFileInformationByHandle(file, info) != 0;
        CloseHandle(file);
        return ok;
    };
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    if (!identify(a, &ia) || !identify(b, &ib)) return false;
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

std::string ProgramFolder() {
    char self[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self) return ".";
    return FolderOf(std::string(self, length));
}

std::string CreateUniqueFile(const std::string& prefix, std::string* error) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned long long state = GetTickCount64() ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 32);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            name += kLetters[(state >> 33) % (sizeof kLetters - 1)];
        }
        HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return name;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    *error = LastErrorText();
    return "";
}

bool RenameOver(const std::string& from, const std::string& to, std::string* error) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    *error = LastErrorText();
    return false;
}

bool IsTerminal(std::FILE* stream) {
    const intptr_t handle = _get_osfhandle(_fileno(stream));
    DWORD mode = 0;
    return handle != -1 && GetConsoleMode(reinterpret_cast<HANDLE>(handle), &mode) != 0;
}

} // namespace rimelace_cli::sys
