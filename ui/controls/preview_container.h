#pragma once
// "Preview Contaner CPP": the main dialog's preview window (item 1002, the four-headed move
// cursor). It shows the latest rendered preview and turns mouse gestures into two requests:
//   - a left-button drag pans the picture over the source image. While dragging, the picture
//     follows the pointer; at the release the picture offset goes down by the drag, and the parent
//     gets WM_COMMAND (the preview's id, 0): render again for the new view;
//   - a right-button press or drag puts the pattern's centre under the pointer: CenterX and
//     CenterY of the parameter record (-1000 at the image's left / bottom edge, +1000 at its right /
//     top edge), the linked "Center X" / "Center Y" spin edits show them (without notifying), and
//     the parent gets WM_COMMAND (9999, the preview's id) for every new centre.
// A left press checks the parent's button 1049 (navigation) and clears 1050 (pattern dragging); a
// right press does the opposite. The window does not clamp the picture offset: the dialog's
// preview code keeps it within the image.
//
// The dialog fills the fields marked so, then after every render calls UpdatePicture and
// repaints. Until a picture exists the window shows its two diagonals.

#include "ui/controls/control.h"

#include <cstdint>

struct PluginGlobals;
struct RimelaceParams;
struct SpinEdit;

// Parent commands of the preview window.
constexpr int kParamsChangedCommand = 9999;  // wParam of "parameters changed" (lParam = sender id)
constexpr int kNavigationButton = 1049;
constexpr int kDraggingButton = 1050;

struct PreviewContainer : ControlRecord {
    PluginGlobals* owner = nullptr;        // dialog fills: the filter context (host record)
    RimelaceParams* params = nullptr;      // dialog fills: the record the centre is written to
    SpinEdit* centerX = nullptr;           // dialog fills: the "Center X" / "Center Y" fields
    SpinEdit* centerY = nullptr;
    int lastX = 0, lastY = 0;              // last mouse position (client pixels)
    int dragX = 0, dragY = 0;              // the left drag so far; 0 outside a drag
    int mouseX = 0, mouseY = 0;            // current mouse position
    int offsetX = 0, offsetY = 0;          // picture offset (preview pixels): where the view starts
                                           // within the scaled image; dialog fills, drags change it
    int originX = 0, originY = 0;          // where the picture's top-left is drawn (UpdatePicture)
    std::uint8_t* result = nullptr;        // dialog's preview code fills: four-channel 8-bit buffers
    std::uint8_t* source = nullptr;        // of the out rectangle's size (VirtualAlloc; freed here)
    BYTE showResult = 0;                   // dialog fills: 1 shows `result`, 0 the host's output
    BYTE mode = 0;                         // dialog fills: 1 (the only mode in use)
    float zoom = 1.0f;                     // dialog fills: image pixels per preview pixel
    BITMAPINFOHEADER info{};               // header of the 24-bit picture (`pixels` holds its rows)
    RGBQUAD colours[4]{};                  // room for a colour table after the header

    ~PreviewContainer();

    // Rebuilds the picture bitmap and its origin from the result buffer (or the host's output)
    // at the size of the host's out rectangle; a picture smaller than the window is centred.
    // Does nothing while the host's output pointer is null.
    void UpdatePicture();
    // Frees the two buffers and allocates new zero-filled ones of width x height x 4 bytes.
    // Returns false (both buffers null) when either allocation fails.
    bool AllocateBuffers(int pictureWidth, int pictureHeight);

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Paint();
    void SetCentreFrom(int x, int y);
    void CheckButtons(bool navigation);
    LRESULT OnLeftDown(LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftUp();
    LRESULT OnRightDown(LPARAM lParam);
    LRESULT OnRightUp();
};

ControlClass PreviewContainerClass();
