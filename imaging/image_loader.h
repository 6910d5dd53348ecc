// Loading an image file the way the viewer and the command line both do: as a BMP file first,
// and when that fails as a JPEG file.
#pragma once

#include <string>

class COXDIB;

// Loads the image at path into dib. On failure dib is left as it was, and reason (when given)
// says why: the file cannot be opened, what the BMP reader (for a file that starts with "BM")
// or the JPEG decoder (for one that starts like a JPEG file) found wrong with it, or which
// other format the file looks like ("not a BMP or JPEG image" for data of no known format).
bool LoadImageFile(const std::string& path, COXDIB& dib, std::string* reason = nullptr);
