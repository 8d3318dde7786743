#pragma once

#include "WorkerTiming.h"
#include "common/Status.h"
#include "picture/Picture.h"
#include "pipeline/PictureSource.h"
#include "show/ShowFileSink.h"
#include "show/Transition.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tramino
{

// The picture of list position k (the dialog reads its picture store).
using FnReadPicture = std::function<CResult<CPicture>(int nPosition)>;

// Where the pictures of list position k come from when they are not its stored picture (every
// frame of a GIF); null for a position of one stored picture.
using FnFramesSource = std::function<std::unique_ptr<IPictureSource>(int nPosition)>;

// The language texts a worker shows.
struct CWorkerTexts
{
    std::string m_strRunning;       // TEXT16: caption of the running worker's button
    std::string m_strPreview;       // TEXT1: Preview's caption otherwise
    std::string m_strTransform;     // TEXT5: Transform's caption otherwise
    std::string m_strTransformDone; // TEXT9: text and title of the completion message
};

// Everything a run needs besides the shared flags. The dialog fills it on the user-interface
// thread and the worker gets its own copy, so nothing here changes under a running worker.
struct CWorkerRun
{
    // Resolved once from the mode combo box; none when its text names no effect.
    std::optional<EEffect> m_effect;
    // The document's picture count when the run starts; no list command runs during a run, so
    // it stays the count of the list the worker goes through.
    int m_nImageCount = 0;
    int m_nPanelWidth = 0;
    int m_nPanelHeight = 0;
    CWorkerTexts m_texts;
    CWorkerTiming m_timing;
    // Transform only: no animation and no pause; the preview shows each picture once it is
    // written, and the file is written as fast as the pictures can be read.
    bool m_bFullSpeed = false;
    // Must stay callable until the worker ends (the store outlives the worker).
    FnReadPicture m_fnReadPicture;
    // Empty when every position gives its stored picture.
    FnFramesSource m_fnFrames;
    // Where the show file's bytes go; empty means the real file beside the chosen name.
    ShowFileSinkOpener m_fnOpenSink;
};

} // namespace tramino
