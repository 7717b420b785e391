#pragma once
// What the commands need from the operating system: paths and folders, file identity, the
// program's own folder, temporary files and replacing a file by another, terminals. One
// implementation per system (system_posix.cpp, system_win32.cpp), chosen by the build.

#include <cstdio>
#include <string>

namespace rimelace_cli::sys {

// File name of the plug-in module loaded by default: liblorvex.so, or Lorvex.8bf on Windows.
extern const char* const kModuleFileName;

// True for a character that separates folders in a path ('/'; also '\' on Windows).
bool IsSeparator(char c);

// The folder part of a path ("." when there is none; the root keeps its separator).
std::string FolderOf(const std::string& path);
// The name after the last separator.
std::string NameOf(const std::string& path);

bool IsFolder(const std::string& path);
// True for an existing file that is not a folder.
bool IsFile(const std::string& path);
// Empty when a new file can be created in `folder`, else why not ("does not exist", ...).
std::string FolderProblem(const std::string& folder);
// True when both paths name one existing file (links and other spellings included).
bool SameFile(const std::string& a, const std::string& b);

// The folder of the running program.
std::string ProgramFolder();

// Creates a new empty file whose path starts with `prefix` and is unique; returns its path, or
// an empty string with *error set. The file gets the permissions a new file normally gets.
std::string CreateUniqueFile(const std::string& prefix, std::string* error);
// Puts `from` in the place of `to`, replacing `to` if it exists. False with *error on failure.
bool RenameOver(const std::string& from, const std::string& to, std::string* error);

// True when the stream writes to a terminal (a console window on Windows).
bool IsTerminal(std::FILE* stream);

} // namespace rimelace_cli::sys
