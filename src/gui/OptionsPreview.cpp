#include "OptionsPreview.h"

namespace tramino
{

COptionsPreview::COptionsPreview(std::unique_ptr<CRepeatedConversion> pConversion, bool bFastFinal,
                                 FnShow fnShow)
    : m_pConversion(std::move(pConversion)), m_bFastFinal(bFastFinal), m_fnShow(std::move(fnShow)),
      m_thread([this] { Run(); })
{
}

COptionsPreview::~COptionsPreview()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bQuit = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

void COptionsPreview::Request(const CConvertOptions& options)
{
    {
        const std::lock_guard lock(m_mutex);
        m_options = options;
        ++m_nRequest;
    }
    m_cv.notify_all();
}

void COptionsPreview::Run()
{
    uint64_t nTaken = 0;
    std::unique_lock lock(m_mutex);
    for (;;)
    {
        m_cv.wait(lock, [&] { return m_bQuit || m_nRequest != nTaken; });
        if (m_bQuit)
            return;
        nTaken = m_nRequest;
        const CConvertOptions options = m_options;
        lock.unlock();
        Convert(nTaken, options);
        lock.lock();
    }
}

void COptionsPreview::Convert(uint64_t nRequest, const CConvertOptions& options)
{
    const FnStopRequested fnStop = [this, nRequest] { return m_bQuit || m_nRequest != nRequest; };
    for (const bool bFast : {true, false})
    {
        const bool bFinal = !bFast || m_bFastFinal;
        CConvertOptions pass = options;
        pass.m_bFast = bFast;
        auto pResult = std::make_shared<const CResult<CPicture>>(m_pConversion->Convert(pass, fnStop));
        if (fnStop())
            return;
        m_uiTasks.Post(
            [this, nRequest, pResult, bFinal]
            {
                if (m_nRequest == nRequest)
                    m_fnShow(*pResult, bFinal);
            });
        if (bFinal)
            return;
    }
}

} // namespace tramino
