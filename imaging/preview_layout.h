// The arithmetic and settings of the image file dialog's preview pane, without any window: where
// the file list ends and the pane begins for a given offset, the limits a splitter drag keeps,
// the settings kept in the profile, and the dialog's file filter.
//
// The pane sits to the right of the file list, in the area the list had to itself. At offset 0
// the pane is as wide as the dialog's tool buttons; a positive offset moves its left edge that
// many pixels further left. Neither the list nor the pane is ever narrower than 50 pixels.
#pragma once

#include <string>

namespace nv {
class Profile;
}

constexpr int kPreviewMinimumWidth = 50;

struct PreviewGeometry
{
    int listWidth = 0; // the file list spans [0, listWidth) of the area
    int paneLeft = 0;  // the pane spans [paneLeft, area width)
    int paneWidth = 0;
    int offset = 0; // the offset these widths stand for
};

// Places list and pane in an area areaWidth pixels wide, gap pixels apart (the splitter), for
// a pane defaultPaneWidth wide at offset 0. The offset is corrected so that both keep their
// minimum width; an area too narrow for both gives the list its minimum (or all of the area)
// and the pane what is left, and keeps the offset as it was.
PreviewGeometry PlacePreviewPane(int areaWidth, int defaultPaneWidth, int gap, int offset);

// One step of a splitter drag: the pointer, grab pixels right of the list's right edge when the
// drag began, moved from lastX to x (area coordinates). x is held within the limits where the
// list or the pane is 50 pixels wide, and the offset returned has moved by lastX - x.
int PreviewDragStep(int areaWidth, int gap, int grab, int offset, int lastX, int& x);

// "Preview" and "Preview Window Offset" under "COXPreviewDialog Settings".
struct PreviewSettings
{
    bool preview = true;
    int offset = 0;
};
// The saved settings; each value missing from the profile keeps the one given.
PreviewSettings ReadPreviewSettings(const nv::Profile& profile, const PreviewSettings& defaults);
// False when the profile could not be written.
bool WritePreviewSettings(nv::Profile& profile, const PreviewSettings& settings);

// A filter in the program's form, "Bitmap Images|*.jpg;*.bmp|All Files|*.*||", as the file
// dialog shows it: "Bitmap Images (*.jpg *.JPG *.bmp *.BMP);;All Files (*)". Patterns are
// offered in both letter cases, since file names here are case-sensitive.
std::string FileDialogFilter(const std::string& filter);
