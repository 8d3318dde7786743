#pragma once

#include "common/Status.h"
#include "pipeline/PictureSource.h"
#include "resample/MemoryBudget.h"
#include "show/RecordCutter.h"
#include "show/ShowFileSink.h"
#include "show/Transition.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tramino
{

// What a show does with an entry whose pictures cannot be had.
enum class EUnreadable
{
    Abandon,    // no show is written; the other entries are still read, so that each failure is named
    LeaveOut,   // the show is written without it
    WriteWhite, // it stands in the show as one picture of white pixels, with the same records
};

struct CShowBuildOptions
{
    int m_nPanelWidth = 0;
    int m_nPanelHeight = 0;
    EEffect m_effect = EEffect::Normal;
    EUnreadable m_eUnreadable = EUnreadable::Abandon;
    // Entries converted at once, each on a thread of its own, at most twice as many ahead of the
    // one being written. 0 converts each entry on the calling thread when its turn comes.
    int m_nJobs = 0;
    // What the conversions running at once may hold together (CMemoryBudget).
    uint64_t m_nMemoryBudget = g_nConversionMemoryBudget;
    // Where the file's bytes go; empty means the real file, replaced only when complete.
    ShowFileSinkOpener m_fnOpenSink;
    // Once true, the run ends before the next picture and writes nothing (a signal, unlike the
    // stop of m_fnPictureWritten, which keeps the pictures done).
    const std::atomic<bool>* m_pbCancel = nullptr;
};

// What the builder tells as it goes, all on the calling thread, in list order. Each may be empty.
struct CShowBuildEvents
{
    // Entry i is next: its pictures are the next ones written.
    std::function<void(size_t nEntry)> m_fnEntryStart;
    // Every pixel right after it went to the writer, in file order.
    PixelEcho m_fnPixel;
    // A picture of entry i is complete in the file. False ends the run here: the file is finished
    // with the pictures written so far.
    std::function<bool(size_t nEntry)> m_fnPictureWritten;
    // Entry i gave no picture, or not all of them; the status names the file and the reason.
    std::function<void(size_t nEntry, const CStatus& status)> m_fnEntryFailed;
    // After each entry: entries done and the list's length.
    std::function<void(size_t nDone, size_t nTotal)> m_fnProgress;
};

struct CShowBuildResult
{
    CStatus m_status;         // why the file could not be written (then nothing was written)
    bool m_bWritten = false;  // the file is in place
    bool m_bStopped = false;  // m_fnPictureWritten ended the run early
    int m_nPictures = 0;      // pictures in the file
    size_t m_nUnreadable = 0; // entries that failed
};

// Writes a show file from an ordered list of entries in constant memory: each entry's pictures
// are converted (on m_nJobs threads, a bounded number ahead), cut into the records of the
// effect and written in list order, one picture at a time. A file without pictures is never
// written.
class CShowBuilder
{
public:
    CShowBuilder(CShowBuildOptions options, CShowBuildEvents events = {});

    CShowBuildResult Build(const PictureSources& vecSources, const std::string& strPath);

private:
    struct CRun;

    // Ends the run as failed when the cancel flag is set.
    bool Cancelled(CRun& run) const;
    // Writes one picture (or the white stand-in); false when the run must end.
    bool WritePicture(CRun& run, size_t nEntry, const CPicture* pPicture);
    // After entry i has given all it will: failures, progress.
    bool EndEntry(CRun& run, size_t nEntry, const CStatus& status, bool bGaveAny);

    CShowBuildOptions m_options;
    CShowBuildEvents m_events;
};

} // namespace tramino
