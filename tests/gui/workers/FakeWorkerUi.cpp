#include "FakeWorkerUi.h"

namespace tramino
{

CFakeWorkerUi::CFakeWorkerUi(int nWidth, int nHeight)
    : m_nWidth(nWidth), m_nHeight(nHeight), m_vecCanvas(static_cast<size_t>(nWidth * nHeight))
{
    for (const int nId :
         {g_nIdLoadImage, g_nIdPreview, g_nIdTransform, g_nIdClean, g_nIdDelete, g_nIdUp, g_nIdDown})
        m_mapEnabled[nId] = true;
}

void CFakeWorkerUi::Record(const std::string& strEntry, const std::function<void()>& fnChange)
{
    std::function<void(const std::string&)> fnHook;
    {
        std::lock_guard lock(m_mutex);
        if (fnChange)
            fnChange();
        m_vecLog.push_back(strEntry);
        m_nPixelRun = 0;
        fnHook = m_fnHook;
    }
    if (fnHook)
        fnHook(strEntry);
}

void CFakeWorkerUi::EnableButton(int nButtonId, bool bEnable)
{
    Record("enable " + std::to_string(nButtonId) + (bEnable ? " 1" : " 0"),
           [&] { m_mapEnabled[nButtonId] = bEnable; });
}

void CFakeWorkerUi::SetButtonCaption(int nButtonId, const std::string& strCaption)
{
    Record("caption " + std::to_string(nButtonId) + " " + strCaption,
           [&] { m_mapCaption[nButtonId] = strCaption; });
}

void CFakeWorkerUi::ClearItemSelected(int nItem)
{
    Record("clear " + std::to_string(nItem), [&] { m_setSelected.erase(nItem); });
}

void CFakeWorkerUi::SelectAndFocusItem(int nItem)
{
    Record("select " + std::to_string(nItem), [&] { m_setSelected.insert(nItem); });
}

void CFakeWorkerUi::EnsureItemVisible(int nItem)
{
    Record("visible " + std::to_string(nItem));
}

void CFakeWorkerUi::StartRefreshTimer()
{
    Record("timer start", [&] { m_bTimerRunning = true; });
}

void CFakeWorkerUi::StopRefreshTimer()
{
    Record("timer stop", [&] { m_bTimerRunning = false; });
}

void CFakeWorkerUi::SetShownImage(int nImage)
{
    Record("shown " + std::to_string(nImage), [&] { m_nShownImage = nImage; });
}

void CFakeWorkerUi::InvalidateWindow()
{
    Record("invalidate");
}

void CFakeWorkerUi::PutPixel(int x, int y, CRgb cr)
{
    std::function<void(const std::string&)> fnHook;
    {
        std::lock_guard lock(m_mutex);
        if (x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight)
            m_vecCanvas[static_cast<size_t>(y * m_nWidth + x)] = cr;
        if (m_nPixelRun > 0)
        {
            m_vecLog.back() = "pixels " + std::to_string(++m_nPixelRun);
            return;
        }
        m_vecLog.push_back("pixels 1");
        m_nPixelRun = 1;
        fnHook = m_fnHook;
    }
    if (fnHook)
        fnHook("pixels 1");
}

std::optional<std::string> CFakeWorkerUi::AskSaveFileName(const std::string&, const std::string&)
{
    Record("ask");
    std::lock_guard lock(m_mutex);
    return m_strSaveAnswer;
}

void CFakeWorkerUi::ShowMessage(const std::string& strText, const std::string& strTitle, EMessageKind eKind)
{
    Record(std::string(eKind == EMessageKind::Error ? "message (error) " : "message ") + strTitle + ": " +
           strText);
}

void CFakeWorkerUi::SetSaveAnswer(std::optional<std::string> strPath)
{
    std::lock_guard lock(m_mutex);
    m_strSaveAnswer = std::move(strPath);
}

void CFakeWorkerUi::SetHook(std::function<void(const std::string&)> fnHook)
{
    std::lock_guard lock(m_mutex);
    m_fnHook = std::move(fnHook);
}

std::vector<std::string> CFakeWorkerUi::Log() const
{
    std::lock_guard lock(m_mutex);
    return m_vecLog;
}

std::vector<std::string> CFakeWorkerUi::LogOf(const std::string& strPrefix) const
{
    std::vector<std::string> vecEntries;
    for (const std::string& strEntry : Log())
        if (strEntry.rfind(strPrefix, 0) == 0)
            vecEntries.push_back(strEntry);
    return vecEntries;
}

bool CFakeWorkerUi::IsEnabled(int nButtonId) const
{
    std::lock_guard lock(m_mutex);
    return m_mapEnabled.at(nButtonId);
}

std::string CFakeWorkerUi::Caption(int nButtonId) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_mapCaption.find(nButtonId);
    return it == m_mapCaption.end() ? std::string() : it->second;
}

bool CFakeWorkerUi::IsTimerRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_bTimerRunning;
}

int CFakeWorkerUi::ShownImage() const
{
    std::lock_guard lock(m_mutex);
    return m_nShownImage;
}

std::set<int> CFakeWorkerUi::SelectedItems() const
{
    std::lock_guard lock(m_mutex);
    return m_setSelected;
}

CRgb CFakeWorkerUi::CanvasPixel(int x, int y) const
{
    std::lock_guard lock(m_mutex);
    return m_vecCanvas[static_cast<size_t>(y * m_nWidth + x)];
}

void CHandOff::Reach()
{
    std::unique_lock lock(m_mutex);
    m_bReached = true;
    m_cv.notify_all();
    m_cv.wait(lock, [this] { return m_bReleased; });
}

void CHandOff::WaitReached()
{
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return m_bReached; });
}

void CHandOff::Release()
{
    std::lock_guard lock(m_mutex);
    m_bReleased = true;
    m_cv.notify_all();
}

} // namespace tramino
