#pragma once

#include "WorkerRun.h"
#include "WorkerShared.h"
#include "WorkerThread.h"
#include "WorkerUi.h"

namespace tramino
{

// Handlers of the Preview and Transform buttons, on the user-interface thread. With an empty
// list nothing happens; while the same worker runs, the press asks it to stop after the current
// picture and greys the button; otherwise the worker starts on thread with its copy of run.
// ui must stay valid for the worker's whole run (give the dialog's CWorkerUiBridge).
void OnPreview(CWorkerShared& shared, IWorkerUi& ui, CWorkerThread& thread, const CWorkerRun& run);
void OnTransform(CWorkerShared& shared, IWorkerUi& ui, CWorkerThread& thread, const CWorkerRun& run);

// The thread procedures: play the list once in the preview window; write the list into a show
// file chosen by the user while echoing every pixel in the preview window.
void PreviewWorker(CWorkerShared& shared, IWorkerUi& ui, const CWorkerRun& run);
void TransformWorker(CWorkerShared& shared, IWorkerUi& ui, const CWorkerRun& run);

// For the window's close handling, on the user-interface thread: asks a running worker to stop,
// cuts its waits short, turns its remaining calls on the dialog into no-ops and waits until it
// has ended (a transform has finished its file with the pictures it completed). Afterwards no
// worker starts again and none touches the dialog or the picture store, which may then go.
void RequestCloseAndWait(CWorkerShared& shared, CWorkerThread& thread);

} // namespace tramino
