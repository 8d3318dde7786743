#pragma once

#include "MessageKind.h"
#include "picture/Picture.h"

#include <optional>
#include <string>

namespace tramino
{

// Control identifiers of the dialog's buttons, as the workers address them.
inline constexpr int g_nIdLoadImage = 1016;
inline constexpr int g_nIdPreview = 1017;
inline constexpr int g_nIdTransform = 1018;
inline constexpr int g_nIdClean = 1019;
inline constexpr int g_nIdDelete = 1020;
inline constexpr int g_nIdUp = 1021;
inline constexpr int g_nIdDown = 1023;

// Everything the Preview and Transform workers do to the main dialog.
//
// Contract for an implementation handed to a worker:
//  - Every call except PutPixel is carried out by the user-interface thread and has completed
//    when it returns, so the worker sees the dialog in the state it just asked for.
//  - PutPixel is called once per pixel, millions of times a run: it must not wait for the
//    user-interface thread. It draws into a thread-safe canvas that shows the change within a
//    frame.
// CWorkerUiBridge turns an implementation that may only be called on the user-interface thread
// (the dialog's own) into one that satisfies this contract and never deadlocks with closing.
class IWorkerUi
{
public:
    virtual ~IWorkerUi() = default;

    virtual void EnableButton(int nButtonId, bool bEnable) = 0;
    virtual void SetButtonCaption(int nButtonId, const std::string& strCaption) = 0;

    // List item states: clear "selected" only; set both "selected" and "focused"; scroll the
    // list so that the item is entirely visible.
    virtual void ClearItemSelected(int nItem) = 0;
    virtual void SelectAndFocusItem(int nItem) = 0;
    virtual void EnsureItemVisible(int nItem) = 0;

    // The refresh timer (100 ms) that redraws the shown image in the preview window.
    virtual void StartRefreshTimer() = 0;
    virtual void StopRefreshTimer() = 0;
    // The list position the refresh timer draws.
    virtual void SetShownImage(int nImage) = 0;
    // The whole main window repainted, background included.
    virtual void InvalidateWindow() = 0;

    // One pixel of the preview canvas; positions outside the panel are ignored.
    virtual void PutPixel(int x, int y, CRgb cr) = 0;
    // A whole panel-sized picture at once, under the same contract as PutPixel.
    virtual void PutPicture(const CPicture& picture)
    {
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                PutPixel(x, y, picture.GetPixel(x, y));
    }

    // The save-file dialog, modal to the main window: a single filter, the extension appended
    // when the user typed none, and an existing file replaced only after the user confirmed.
    // No value when the user cancels.
    virtual std::optional<std::string> AskSaveFileName(const std::string& strFilter,
                                                       const std::string& strDefaultExtension) = 0;
    // A message box with one OK button, modal to the main window; returns when it is closed.
    virtual void ShowMessage(const std::string& strText, const std::string& strTitle, EMessageKind eKind) = 0;

    // A show file is in place under strPath with nPictures pictures (fewer than listed after a
    // stop). Only the window's status line listens.
    virtual void ShowWritten(const std::string& /*strPath*/, int /*nPictures*/) {}
};

} // namespace tramino
