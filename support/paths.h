// Path helpers: splitting a path into drive, folder, title and extension, replacing an
// extension, testing that a file exists, and splitting a line at delimiter characters.
// On POSIX systems '/' separates the components and there is no drive; on Windows both
// separators and drive letters are recognised.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Drive part ("C:"), empty where paths have no drive. Returns true.
bool GetPathDrive(const std::string& path, std::string& drive);
// Folder part with its leading and trailing separator ("/opt/tool/"). Returns true.
bool GetPathDir(const std::string& path, std::string& dir);
// File name without extension: "Data.tar" of ".../Data.tar.gz". Returns true.
bool GetPathTitle(const std::string& path, std::string& title);
// Extension from the last dot of the file name on, dot included; empty when there is none.
bool GetPathExtension(const std::string& path, std::string& extension);
// Drive followed by folder, ending in a separator. False only when a part cannot be taken.
bool GetPathFolder(const std::string& path, std::string& folder);
// Drive, folder and title with a new extension; a dot is put in front of an extension that
// lacks one ("LOG" gives ".LOG"). An empty extension leaves the name without one.
bool ReplaceExtension(const std::string& path, const std::string& extension, std::string& result);

// True when the file's status can be read; size receives the low 32 bits of its size
// (0 when it is missing).
bool FileExists(const std::string& path, uint32_t* size = nullptr);

// Looks for path, and when it is missing for a file in the same folder whose name differs
// only in the letter case of its extension. Returns the path found, or empty.
std::string FindFileIgnoringExtensionCase(const std::string& path);

// Splits text at any of the delimiter characters. Every piece is kept, empty ones included,
// untrimmed; an empty text gives one empty piece. False (and an empty array) for a null text.
bool SplitFields(std::vector<std::string>& fields, const char* text, const char* delimiters);
