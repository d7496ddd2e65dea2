// Skins of the common controls: track bars, progress bars, up-down controls
// and headers (also the header of every list view). Each kind has one
// installer, one window procedure and one painter that draws the whole
// control onto the image under it and copies the result to the window once.
#pragma once

#include <windows.h>

namespace orv {

void SkinTrackBars(int windowIndex, HWND parent);
void SkinProgressBars(int windowIndex, HWND parent);
void SkinUpDowns(int windowIndex, HWND parent);
void SkinHeaders(int windowIndex, HWND parent);

void PaintTrackBar(HWND trackBar);
void PaintProgressBar(HWND progressBar);
void PaintUpDown(HWND upDown);
void PaintHeader(HWND header);

LRESULT CALLBACK TrackBarSkinProc(HWND trackBar, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ProgressSkinProc(HWND progressBar, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK UpDownSkinProc(HWND upDown, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HeaderSkinProc(HWND header, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace orv
