// The command-line forms of the imaging subsystem. Each takes the words after its option
// name and writes its report to out and its failures to err. Exit codes: 0 done, 1 the image
// could not be loaded, turned or written (the reason on err), 2 a usage error (a usage line
// on err).
#pragma once

#include <ostream>
#include <string>
#include <vector>

// --image-info IMAGE: prints the width, height, bits per pixel and colour-table entries of
// the image, one "name: value" line each.
int RunImageInfoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// --save-bmp IN OUT [--rotate 90|180|270|-90] [--flip-rows] [--flip-columns]: loads IN (BMP
// or JPEG), rotates it clockwise by the angle, turns it upside down and mirrors it as asked,
// and writes it to OUT as a BMP file. OUT is replaced atomically: a failed write leaves any
// previous file intact.
int RunSaveBmpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
