#pragma once

// Steps that the Preview and Transform workers share; only they include this.

#include "WorkerRun.h"
#include "WorkerShared.h"
#include "WorkerUi.h"

#include <optional>
#include <string>
#include <vector>

namespace tramino
{

// A list position whose picture could not be read, and why.
struct CUnreadablePicture
{
    int m_nPosition = 0;
    std::string m_strReason;
};

// Disables (or enables) the six buttons a worker does not use to stop itself: Clean, Delete,
// Up, Down, the other worker's button and Load Image, in this order.
void EnableOtherButtons(IWorkerUi& ui, int nOwnButton, bool bEnable);

// Clears the selected state of every list item.
void ClearAllSelected(IWorkerUi& ui, const CWorkerRun& run);

// Moves the selection from item i - 1 to item i, focuses it and scrolls it into view.
void MarkItem(IWorkerUi& ui, int i);

// The picture of position i at the panel size, or, when it cannot be read, no picture and its
// reason added to vecUnreadable (Preview; Transform reads through the show builder).
std::optional<CPicture> LoadPicture(const CWorkerRun& run, int i,
                                    std::vector<CUnreadablePicture>& vecUnreadable);

// The frames of position i (CWorkerRun::m_fnFrames), or null when it gives its stored picture.
std::unique_ptr<IPictureSource> FramesSource(const CWorkerRun& run, int i);

// The steps after a picture of position i of nCount: for its stored picture, make it the shown
// image, run the refresh timer on it for the wait and stop the timer again unless it is the
// last; a frame stays as drawn for the wait, since the timer would draw the stored picture over
// it. Then look at the stop request. True when the run must end here (the timer then keeps
// running on a stored picture i).
bool AfterPicture(IWorkerUi& ui, const CWorkerShared& shared, int i, int nCount, int nWaitMs,
                  bool bStored = true);

// The message that names the pictures that could not be read; empty when there are none.
std::string UnreadableReport(const std::vector<CUnreadablePicture>& vecUnreadable);

// The end of a run: buttons back on, caption back, flags cleared, in this order.
void EndRun(IWorkerUi& ui, CWorkerShared& shared, int nOwnButton, const std::string& strIdleCaption);

} // namespace tramino
