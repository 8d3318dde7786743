#include "codec/ByteSource.h"

#include "codec/PictureDecoder.h"
#include "common/InputFile.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tramino
{

CResult<std::unique_ptr<CByteSource>> CByteSource::OpenFile(const std::string& strPath, size_t nBufferBytes)
{
    std::unique_ptr<CByteSource> pSource(new CByteSource);
    pSource->m_strName = strPath;
    CResult<CInputFile> file = OpenRegularFile(strPath, "open");
    if (!file)
        return file.Status();
    pSource->m_hFile = file.Value().m_hFile;
    pSource->m_nSize = file.Value().m_nSize;
    // Not cleared: only what a read put there is ever served.
    pSource->m_nBufferSize =
        static_cast<size_t>(std::clamp<uint64_t>(pSource->m_nSize, 1, std::max<size_t>(nBufferBytes, 1)));
    pSource->m_pBuffer = std::make_unique_for_overwrite<uint8_t[]>(pSource->m_nBufferSize);
    return pSource;
}

std::unique_ptr<CByteSource> CByteSource::FromMemory(const uint8_t* pData, size_t nSize,
                                                     const std::string& strName)
{
    std::unique_ptr<CByteSource> pSource(new CByteSource);
    pSource->m_strName = strName;
    pSource->m_pMemory = pData;
    pSource->m_nSize = nSize;
    return pSource;
}

CByteSource::~CByteSource()
{
    if (m_hFile >= 0)
        platform::CloseFile(m_hFile);
}

size_t CByteSource::Read(void* pTarget, size_t nBytes)
{
    if (m_nPosition >= m_nSize || nBytes == 0)
        return 0;
    nBytes = static_cast<size_t>(std::min<uint64_t>(nBytes, m_nSize - m_nPosition));
    size_t nRead = 0;
    if (m_pMemory)
    {
        std::memcpy(pTarget, m_pMemory + m_nPosition, nBytes);
        nRead = nBytes;
    }
    else
        nRead = ReadFile(static_cast<uint8_t*>(pTarget), nBytes);
    m_nPosition += nRead;
    return nRead;
}

// Serves from the buffer; large reads go straight to the target.
size_t CByteSource::ReadFile(uint8_t* pTarget, size_t nBytes)
{
    size_t nDone = 0;
    while (nDone < nBytes)
    {
        const uint64_t nPosition = m_nPosition + nDone;
        if (nPosition >= m_nBufferStart && nPosition < m_nBufferStart + m_nBuffered)
        {
            const size_t nOffset = static_cast<size_t>(nPosition - m_nBufferStart);
            const size_t nCopy = std::min(nBytes - nDone, m_nBuffered - nOffset);
            std::memcpy(pTarget + nDone, m_pBuffer.get() + nOffset, nCopy);
            nDone += nCopy;
            continue;
        }
        const bool bDirect = nBytes - nDone >= m_nBufferSize;
        uint8_t* pInto = bDirect ? pTarget + nDone : m_pBuffer.get();
        const size_t nWant = bDirect ? nBytes - nDone : m_nBufferSize;
        const int64_t nGot = platform::ReadAt(m_hFile, pInto, nWant, nPosition);
        if (nGot < 0)
            m_readError = ErrnoStatus("read", m_strName, static_cast<int>(-nGot));
        if (nGot <= 0)
            break;
        if (bDirect)
            nDone += static_cast<size_t>(nGot);
        else
        {
            m_nBufferStart = nPosition;
            m_nBuffered = static_cast<size_t>(nGot);
        }
    }
    return nDone;
}

bool CByteSource::Seek(uint64_t nPosition)
{
    if (nPosition > m_nSize)
        return false;
    m_nPosition = nPosition;
    return true;
}

CStatus DecodeError(const std::string& strName, const std::string& strReason, EReason eKind,
                    std::vector<std::string> vecValues)
{
    return CStatus::Error("'" + strName + "': " + strReason, {eKind, strName, std::move(vecValues)});
}

CStatus CheckPictureSize(const std::string& strName, int64_t nWidth, int64_t nHeight)
{
    if (nWidth <= 0 || nHeight <= 0)
        return DecodeError(strName,
                           "picture has no pixels (" + std::to_string(nWidth) + " x " +
                               std::to_string(nHeight) + ")",
                           EReason::NoPixels);
    if (nWidth > g_nMaxPictureSide || nHeight > g_nMaxPictureSide || nWidth * nHeight > g_nMaxPicturePixels)
        return DecodeError(strName,
                           "picture of " + std::to_string(nWidth) + " x " + std::to_string(nHeight) +
                               " pixels is too large",
                           EReason::TooLarge, {std::to_string(nWidth), std::to_string(nHeight)});
    return {};
}

} // namespace tramino
