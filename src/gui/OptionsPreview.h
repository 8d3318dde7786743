#pragma once

#include "UiTaskQueue.h"

#include "common/Status.h"
#include "picture/Picture.h"
#include "pipeline/RepeatedConversion.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tramino
{

// Converts a picture for a dialog on a thread of its own as the dialog's choices change: first
// fast (the JPEG decoder scaling), then as it will be stored. A newer request stops an older
// conversion at its next row, and only the newest request's results reach fnShow, on the
// user-interface thread. Going, it stops the conversion under way and waits for its thread.
class COptionsPreview
{
public:
    // Called with each result of the newest request; bFinal for the one as it will be stored.
    using FnShow = std::function<void(const CResult<CPicture>& result, bool bFinal)>;

    // bFastFinal: the picture is stored from the fast decoding, so that is the only conversion.
    COptionsPreview(std::unique_ptr<CRepeatedConversion> pConversion, bool bFastFinal, FnShow fnShow);
    ~COptionsPreview();
    COptionsPreview(const COptionsPreview&) = delete;
    COptionsPreview& operator=(const COptionsPreview&) = delete;

    // User-interface thread.
    void Request(const CConvertOptions& options);

private:
    void Run();
    void Convert(uint64_t nRequest, const CConvertOptions& options);

    const std::unique_ptr<CRepeatedConversion> m_pConversion; // the thread's only
    const bool m_bFastFinal;
    const FnShow m_fnShow;

    std::mutex m_mutex;
    std::condition_variable m_cv;
    CConvertOptions m_options;           // of request m_nRequest; guarded by m_mutex
    std::atomic<uint64_t> m_nRequest{0}; // written under m_mutex; 0: none yet
    std::atomic<bool> m_bQuit{false};    // written under m_mutex
    CUiTaskQueue m_uiTasks;              // what is still queued when it goes is dropped
    std::thread m_thread;                // last: started when the rest is ready
};

} // namespace tramino
