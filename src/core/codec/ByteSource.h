#pragma once

#include "common/Status.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tramino
{

// The bytes of one picture, from a file (read through a large buffer) or from memory that
// the caller keeps alive. Decoders read it sequentially; a failed read is remembered, so
// that a short read can be told apart from an I/O error.
class CByteSource
{
public:
    // Reads go through a buffer of nBufferBytes at most (no more than the file's size): a reader of
    // a header alone asks for a small one, since each buffered read fills the whole buffer.
    static CResult<std::unique_ptr<CByteSource>> OpenFile(const std::string& strPath,
                                                          size_t nBufferBytes = 256 * 1024);
    static std::unique_ptr<CByteSource> FromMemory(const uint8_t* pData, size_t nSize,
                                                   const std::string& strName);
    ~CByteSource();
    CByteSource(const CByteSource&) = delete;
    CByteSource& operator=(const CByteSource&) = delete;

    const std::string& Name() const { return m_strName; }
    uint64_t Size() const { return m_nSize; }
    uint64_t Tell() const { return m_nPosition; }
    // The whole content when it lives in memory, else nullptr.
    const uint8_t* Memory() const { return m_pMemory; }

    // Returns the bytes read; fewer than nBytes at the end of the data or on an error.
    size_t Read(void* pTarget, size_t nBytes);
    bool Seek(uint64_t nPosition);
    // The read error, if one happened; ok after a plain end of data.
    const CStatus& ReadError() const { return m_readError; }

private:
    CByteSource() = default;
    size_t ReadFile(uint8_t* pTarget, size_t nBytes);

    std::string m_strName;
    uint64_t m_nSize = 0;
    uint64_t m_nPosition = 0;
    const uint8_t* m_pMemory = nullptr;
    int m_hFile = -1;
    std::unique_ptr<uint8_t[]> m_pBuffer; // file data from m_nBufferStart, m_nBuffered bytes
    size_t m_nBufferSize = 0;
    uint64_t m_nBufferStart = 0;
    size_t m_nBuffered = 0;
    CStatus m_readError;
};

// "'name': reason"
CStatus DecodeError(const std::string& strName, const std::string& strReason,
                    EReason eKind = EReason::Damaged, std::vector<std::string> vecValues = {});

// Refuses sizes that are empty or beyond g_nMaxPictureSide / g_nMaxPicturePixels.
CStatus CheckPictureSize(const std::string& strName, int64_t nWidth, int64_t nHeight);

// Compressed formats that can describe large areas in few bytes (RLE, LZW) may not claim
// more pixels than this per byte of their file, so a tiny hostile file cannot make us allocate much.
inline constexpr int64_t g_nMaxPixelsPerCompressedByte = 4096;

} // namespace tramino
