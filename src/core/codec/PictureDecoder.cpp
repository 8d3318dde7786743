#include "codec/PictureDecoder.h"

#include "codec/BmpDecoder.h"
#include "codec/ByteSource.h"
#include "codec/GifDecoder.h"
#include "codec/JpegDecoder.h"
#include "codec/PictureRowReader.h"
#include "codec/PngDecoder.h"

#include <cstring>

namespace tramino
{

namespace
{

// By content: the extension of a user's file says little.
CResult<EPictureFormat> DetectFormat(CByteSource& source)
{
    static constexpr uint8_t g_vecPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    uint8_t signature[8] = {};
    const size_t nGot = source.Read(signature, sizeof(signature));
    if (!source.ReadError().IsOk())
        return source.ReadError();
    source.Seek(0);
    if (nGot == 0)
        return DecodeError(source.Name(), "file is empty", EReason::Empty);
    if (nGot >= 2 && signature[0] == 'B' && signature[1] == 'M')
        return EPictureFormat::Bmp;
    if (nGot >= 3 && signature[0] == 0xFF && signature[1] == 0xD8 && signature[2] == 0xFF)
        return EPictureFormat::Jpeg;
    if (nGot >= 6 && (std::memcmp(signature, "GIF87a", 6) == 0 || std::memcmp(signature, "GIF89a", 6) == 0))
        return EPictureFormat::Gif;
    if (nGot == 8 && std::memcmp(signature, g_vecPngSignature, 8) == 0)
        return EPictureFormat::Png;
    return DecodeError(source.Name(), "not a BMP, JPEG, GIF or PNG picture", EReason::NotAPicture);
}

CResult<std::unique_ptr<CRowReader>>
OpenRowReaderAs(EPictureFormat eFormat, std::unique_ptr<CByteSource> pSource, const CDecodeOptions& options)
{
    switch (eFormat)
    {
    case EPictureFormat::Bmp:
        return OpenBmpRowReader(std::move(pSource));
    case EPictureFormat::Jpeg:
        return OpenJpegRowReader(std::move(pSource), options);
    case EPictureFormat::Png:
        return OpenPngRowReader(std::move(pSource), options);
    case EPictureFormat::Gif:
        break;
    }
    if (options.m_crBackground != CRgb{})
    {
        CResult<std::unique_ptr<CFrameReader>> frames =
            OpenGifFrameReader(std::move(pSource), options.m_crBackground);
        if (!frames)
            return frames.Status();
        return frames.Value()->NextFrame();
    }
    CResult<CPicture> picture = DecodeGif(*pSource);
    if (!picture)
        return picture.Status();
    return std::unique_ptr<CRowReader>(
        new CPictureRowReader(std::move(picture).Value(), EPictureFormat::Gif, false));
}

CResult<std::unique_ptr<CRowReader>> OpenRowReaderOn(std::unique_ptr<CByteSource> pSource,
                                                     const CDecodeOptions& options)
{
    CResult<EPictureFormat> format = DetectFormat(*pSource);
    if (!format)
        return format.Status();
    return OpenRowReaderAs(format.Value(), std::move(pSource), options);
}

// Any picture but a GIF is one frame.
class CSingleFrameReader final : public CFrameReader
{
public:
    explicit CSingleFrameReader(std::unique_ptr<CRowReader> pReader) : m_pReader(std::move(pReader)) {}

    CResult<std::unique_ptr<CRowReader>> NextFrame() override { return std::move(m_pReader); }

private:
    std::unique_ptr<CRowReader> m_pReader;
};

CResult<std::unique_ptr<CFrameReader>> OpenFrameReaderOn(std::unique_ptr<CByteSource> pSource,
                                                         const CDecodeOptions& options)
{
    CResult<EPictureFormat> format = DetectFormat(*pSource);
    if (!format)
        return format.Status();
    if (format.Value() == EPictureFormat::Gif)
        return OpenGifFrameReader(std::move(pSource), options.m_crBackground);
    CResult<std::unique_ptr<CRowReader>> reader =
        OpenRowReaderAs(format.Value(), std::move(pSource), options);
    if (!reader)
        return reader.Status();
    return std::unique_ptr<CFrameReader>(new CSingleFrameReader(std::move(reader).Value()));
}

CResult<int> CountFramesOn(CByteSource& source)
{
    CResult<EPictureFormat> format = DetectFormat(source);
    if (!format)
        return format.Status();
    return format.Value() == EPictureFormat::Gif ? CountGifFrames(source) : CResult<int>(1);
}

CResult<CPicture> DecodeOn(CByteSource& source)
{
    CResult<EPictureFormat> format = DetectFormat(source);
    if (!format)
        return format.Status();
    switch (format.Value())
    {
    case EPictureFormat::Bmp:
        return DecodeBmp(source);
    case EPictureFormat::Jpeg:
        return DecodeJpeg(source);
    case EPictureFormat::Png:
        return DecodePng(source);
    case EPictureFormat::Gif:
        break;
    }
    return DecodeGif(source);
}

} // namespace

CResult<const CPicture*> CFrameReader::NextCanvas(CFrameChange&)
{
    return CStatus::Error("The frames of this picture are not composed on a canvas");
}

CResult<std::unique_ptr<CRowReader>> OpenRowReader(const std::string& strPath, const CDecodeOptions& options)
{
    CResult<std::unique_ptr<CByteSource>> source = CByteSource::OpenFile(strPath);
    if (!source)
        return source.Status();
    return OpenRowReaderOn(std::move(source).Value(), options);
}

CResult<std::unique_ptr<CRowReader>> OpenRowReaderMemory(const uint8_t* pData, size_t nSize,
                                                         const std::string& strName,
                                                         const CDecodeOptions& options)
{
    return OpenRowReaderOn(CByteSource::FromMemory(pData, nSize, strName), options);
}

CResult<std::unique_ptr<CFrameReader>> OpenFrameReader(const std::string& strPath,
                                                       const CDecodeOptions& options)
{
    CResult<std::unique_ptr<CByteSource>> source = CByteSource::OpenFile(strPath);
    if (!source)
        return source.Status();
    return OpenFrameReaderOn(std::move(source).Value(), options);
}

CResult<std::unique_ptr<CFrameReader>> OpenFrameReaderMemory(const uint8_t* pData, size_t nSize,
                                                             const std::string& strName,
                                                             const CDecodeOptions& options)
{
    return OpenFrameReaderOn(CByteSource::FromMemory(pData, nSize, strName), options);
}

CResult<int> CountPictureFrames(const std::string& strPath)
{
    CResult<std::unique_ptr<CByteSource>> source = CByteSource::OpenFile(strPath);
    if (!source)
        return source.Status();
    return CountFramesOn(*source.Value());
}

CResult<int> CountPictureFramesMemory(const uint8_t* pData, size_t nSize, const std::string& strName)
{
    return CountFramesOn(*CByteSource::FromMemory(pData, nSize, strName));
}

CResult<CPicture> DecodePictureFile(const std::string& strPath)
{
    CResult<std::unique_ptr<CByteSource>> source = CByteSource::OpenFile(strPath);
    if (!source)
        return source.Status();
    return DecodeOn(*source.Value());
}

CResult<CPicture> DecodePictureMemory(const uint8_t* pData, size_t nSize, const std::string& strName)
{
    return DecodeOn(*CByteSource::FromMemory(pData, nSize, strName));
}

} // namespace tramino
