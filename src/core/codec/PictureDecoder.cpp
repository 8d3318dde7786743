#include "codec/PictureDecoder.h"

#include "codec/BmpDecoder.h"
#include "codec/ByteSource.h"
#include "codec/GifDecoder.h"
#include "codec/JpegDecoder.h"
#include "codec/PictureRowReader.h"

#include <cstring>

namespace tramino
{

namespace
{

// By content: the extension of a user's file says little.
CResult<EPictureFormat> DetectFormat(CByteSource& source)
{
    uint8_t signature[6] = {};
    const size_t nGot = source.Read(signature, sizeof(signature));
    if (!source.ReadError().IsOk())
        return source.ReadError();
    source.Seek(0);
    if (nGot == 0)
        return DecodeError(source.Name(), "file is empty");
    if (nGot >= 2 && signature[0] == 'B' && signature[1] == 'M')
        return EPictureFormat::Bmp;
    if (nGot >= 3 && signature[0] == 0xFF && signature[1] == 0xD8 && signature[2] == 0xFF)
        return EPictureFormat::Jpeg;
    if (nGot == 6 && (std::memcmp(signature, "GIF87a", 6) == 0 || std::memcmp(signature, "GIF89a", 6) == 0))
        return EPictureFormat::Gif;
    return DecodeError(source.Name(), "not a BMP, JPEG or GIF picture");
}

CResult<std::unique_ptr<CRowReader>> OpenRowReaderOn(std::unique_ptr<CByteSource> pSource,
                                                     const CDecodeOptions& options)
{
    CResult<EPictureFormat> format = DetectFormat(*pSource);
    if (!format)
        return format.Status();
    switch (format.Value())
    {
    case EPictureFormat::Bmp:
        return OpenBmpRowReader(std::move(pSource));
    case EPictureFormat::Jpeg:
        return OpenJpegRowReader(std::move(pSource), options);
    case EPictureFormat::Gif:
        break;
    }
    CResult<CPicture> picture = DecodeGif(*pSource);
    if (!picture)
        return picture.Status();
    return std::unique_ptr<CRowReader>(
        new CPictureRowReader(std::move(picture).Value(), EPictureFormat::Gif, false));
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
    case EPictureFormat::Gif:
        break;
    }
    return DecodeGif(source);
}

} // namespace

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
