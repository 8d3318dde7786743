#include "resample/ConvertPicture.h"

#include "codec/DecodeMemory.h"
#include "codec/PictureDecoder.h"
#include "codec/PictureRowReader.h"
#include "resample/Orientation.h"
#include "resample/StreamingReducer.h"
#include "resample/Stretcher.h"

#include <algorithm>
#include <optional>

namespace tramino
{

namespace
{

CStatus NamingFile(const CStatus& status, const std::string& strPath)
{
    if (status.Message().find(strPath) != std::string::npos)
        return status;
    return status.Rephrased("Cannot convert '" + strPath + "': " + status.Message());
}

// As a file of the reader's picture would be converted to nWidth x nHeight; decided by the
// picture's own size and depth class, whatever scale the decoder chose.
CResult<CPicture> ConvertRows(CRowReader& reader, int nWidth, int nHeight)
{
    const CPictureInfo& info = reader.Info();
    const bool bReduce =
        info.m_nBitsPerPixel == 24 && info.m_nFileWidth > nWidth && info.m_nFileHeight > nHeight;
    return bReduce ? ReduceRows(reader, nWidth, nHeight) : StretchRows(reader, nWidth, nHeight);
}

CPicture Background(int nWidth, int nHeight, CRgb cr)
{
    CPicture picture(nWidth, nHeight, 24);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            picture.SetPixel(x, y, cr);
    return picture;
}

CResult<CPicture> Contain(CRowReader& reader, CPanelSize size, const CConvertOptions& options)
{
    const CPictureInfo& info = reader.Info();
    const CRect rc =
        ContainRect(info.m_nFileWidth, info.m_nFileHeight, size.m_nWidth, size.m_nHeight, options.m_eGravity);
    CResult<CPicture> picture = ConvertRows(reader, rc.m_nWidth, rc.m_nHeight);
    if (!picture)
        return picture;
    CPicture panel = Background(size.m_nWidth, size.m_nHeight, options.m_crBackground);
    for (int y = 0; y < rc.m_nHeight; ++y)
        std::copy_n(picture.Value().Row(y), picture.Value().RowBytes(), panel.Row(rc.m_nY + y) + 3 * rc.m_nX);
    return panel;
}

CResult<CPicture> Cover(std::unique_ptr<CRowReader> pReader, CPanelSize size, EGravity eGravity)
{
    const CPictureInfo info = pReader->Info();
    // The file's crop decides between reduction and stretch; the same crop of the rows the
    // decoder hands out (smaller ones when it scales) is what gets converted.
    const CRect rcFile =
        CoverCrop(info.m_nFileWidth, info.m_nFileHeight, size.m_nWidth, size.m_nHeight, eGravity);
    const CRect rcRows = CoverCrop(info.m_nWidth, info.m_nHeight, size.m_nWidth, size.m_nHeight, eGravity);
    const std::unique_ptr<CRowReader> pCrop =
        CropRows(std::move(pReader), rcRows, rcFile.m_nWidth, rcFile.m_nHeight);
    return ConvertRows(*pCrop, size.m_nWidth, size.m_nHeight);
}

CResult<CPicture> Fit(std::unique_ptr<CRowReader> pReader, CPanelSize size, const CConvertOptions& options)
{
    switch (options.m_eFit)
    {
    case EFit::Contain:
        return Contain(*pReader, size, options);
    case EFit::Cover:
        return Cover(std::move(pReader), size, options.m_eGravity);
    case EFit::Stretch:
        break;
    }
    return ConvertRows(*pReader, size.m_nWidth, size.m_nHeight);
}

// The panel's picture (3 bytes a pixel) and the stretcher's sums (12).
uint64_t PanelBytes(CPanelSize size)
{
    return 15 * static_cast<uint64_t>(std::max(0, size.m_nWidth)) *
           static_cast<uint64_t>(std::max(0, size.m_nHeight));
}

CStatus EmptyPanel(const std::string& strPath)
{
    return CStatus::Error("Cannot convert '" + strPath + "' to an empty panel");
}

// The reader's picture, turned, fitted and dithered; errors do not name the file yet.
CResult<CPicture> ConvertReader(std::unique_ptr<CRowReader> pReader, CPanelSize size,
                                const CConvertOptions& options)
{
    if (options.m_bAutoOrient)
    {
        const int nOrientation = pReader->Info().m_nOrientation;
        pReader = OrientRows(std::move(pReader), nOrientation);
    }
    CResult<CPicture> picture = Fit(std::move(pReader), size, options);
    if (picture)
        DitherToPanel(picture.Value(), options.m_eDither);
    return picture;
}

// Names the frame of an animation besides the file.
CStatus InFrame(const CStatus& status, const std::string& strPath, int nFrame, int nFrames)
{
    if (nFrames < 2)
        return NamingFile(status, strPath);
    const std::string strNamed = "'" + strPath + "': ";
    std::string strReason = status.Message();
    if (strReason.starts_with(strNamed))
        strReason.erase(0, strNamed.size());
    return CStatus::Error("Cannot convert frame " + std::to_string(nFrame) + " of " +
                          std::to_string(nFrames) + " of '" + strPath + "': " + strReason);
}

// The frames of one canvas converted as ConvertReader converts each (a depth class below 24 is
// always stretched), but only the panel pixels whose source area meets what changed are computed
// again: the fitted panel is kept between frames, and only the dithering, which spreads over the
// whole panel, is done whole every time.
class CFramePanel
{
public:
    static CResult<CFramePanel> Create(int nCanvasWidth, int nCanvasHeight, CPanelSize size,
                                       const CConvertOptions& options)
    {
        CRect rcSource{0, 0, nCanvasWidth, nCanvasHeight};
        CRect rcTarget{0, 0, size.m_nWidth, size.m_nHeight};
        if (options.m_eFit == EFit::Contain)
            rcTarget =
                ContainRect(nCanvasWidth, nCanvasHeight, size.m_nWidth, size.m_nHeight, options.m_eGravity);
        else if (options.m_eFit == EFit::Cover)
            rcSource =
                CoverCrop(nCanvasWidth, nCanvasHeight, size.m_nWidth, size.m_nHeight, options.m_eGravity);
        CResult<CStretcher> stretcher =
            CStretcher::Create(rcSource.m_nWidth, rcSource.m_nHeight, rcTarget.m_nWidth, rcTarget.m_nHeight);
        if (!stretcher)
            return stretcher.Status();
        return CFramePanel(rcSource, rcTarget, std::move(stretcher).Value(),
                           Background(size.m_nWidth, size.m_nHeight, options.m_crBackground),
                           options.m_eDither);
    }

    // The panel of the canvas, which differs from the last one converted only inside change, or
    // anywhere after Forget.
    CPicture Convert(const CPicture& canvas, const CFrameChange& change)
    {
        // The change in the source's pixels, cut to the source.
        const int nLeft = std::max(change.m_nLeft - m_rcSource.m_nX, 0);
        const int nTop = std::max(change.m_nTop - m_rcSource.m_nY, 0);
        const int nRight = std::min(change.m_nRight - m_rcSource.m_nX, m_rcSource.m_nWidth);
        const int nBottom = std::min(change.m_nBottom - m_rcSource.m_nY, m_rcSource.m_nHeight);
        CRect rc{nLeft, nTop, nRight - nLeft, nBottom - nTop};
        if (!m_bKnown)
            rc = {0, 0, m_rcSource.m_nWidth, m_rcSource.m_nHeight};
        else if (rc.m_nWidth <= 0 || rc.m_nHeight <= 0)
            rc = {};
        m_bKnown = true;
        m_stretcher.Refresh(
            [&](int y) { return canvas.Row(m_rcSource.m_nY + y) + 3 * static_cast<size_t>(m_rcSource.m_nX); },
            rc, m_panel, m_rcTarget.m_nX, m_rcTarget.m_nY);
        CPicture panel = m_panel;
        DitherToPanel(panel, m_eDither);
        return panel;
    }

    // Frames were passed over: the next one is converted whole.
    void Forget() { m_bKnown = false; }

private:
    CFramePanel(CRect rcSource, CRect rcTarget, CStretcher stretcher, CPicture panel, EDither eDither)
        : m_rcSource(rcSource), m_rcTarget(rcTarget), m_stretcher(std::move(stretcher)),
          m_panel(std::move(panel)), m_eDither(eDither)
    {
    }

    CRect m_rcSource; // the part of the canvas converted
    CRect m_rcTarget; // where it goes on the panel
    CStretcher m_stretcher;
    CPicture m_panel; // before dithering
    EDither m_eDither;
    bool m_bKnown = false;
};

// WalkFrames on the canvas of frames that have one.
CStatus WalkCanvases(CFrameReader& frames, const std::string& strPath, int nOnly, int nFrames,
                     CPanelSize size, const CConvertOptions& options, const FnTakeFrame& fnTake)
{
    std::optional<CFramePanel> panel;
    for (int nFrame = 1;; ++nFrame)
    {
        CFrameChange change;
        CResult<const CPicture*> canvas = frames.NextCanvas(change);
        if (!canvas)
            return InFrame(canvas.Status(), strPath, nFrame, nFrames);
        if (!canvas.Value())
            return {};
        if (nOnly != 0 && nFrame != nOnly)
        {
            if (panel)
                panel->Forget();
            continue;
        }
        if (!panel)
        {
            CResult<CFramePanel> made =
                CFramePanel::Create(canvas.Value()->Width(), canvas.Value()->Height(), size, options);
            if (!made)
                return InFrame(made.Status(), strPath, nFrame, nFrames);
            panel.emplace(std::move(made).Value());
        }
        if (!fnTake(panel->Convert(*canvas.Value(), change)) || nFrame == nOnly)
            return {};
    }
}

// Converts frame nOnly, or every frame when it is 0, handing each to fnTake until it returns
// false. The frames are counted first, without decoding, so that an animation beyond the limit
// or cut short is refused before its first frame; those before nOnly are composed, not converted.
// Frames on a canvas are converted by what changed, unless bWhole.
CStatus WalkFrames(const std::string& strPath, int nOnly, CPanelSize size, const CConvertOptions& options,
                   const FnTakeFrame& fnTake, bool bWhole = false)
{
    if (size.m_nWidth < 1 || size.m_nHeight < 1)
        return EmptyPanel(strPath);
    const CResult<int> count = CountPictureFrames(strPath);
    if (!count)
        return NamingFile(count.Status(), strPath);
    const int nFrames = count.Value();
    if (nOnly > nFrames)
        return CStatus::Error("Cannot convert frame " + std::to_string(nOnly) + " of '" + strPath +
                              "': it has " + std::to_string(nFrames) + " frame" + (nFrames == 1 ? "" : "s"));
    CResult<std::unique_ptr<CFrameReader>> frames = OpenFrameReader(strPath, DecodeOptionsFor(size, options));
    if (!frames)
        return NamingFile(frames.Status(), strPath);
    if (!bWhole && frames.Value()->HasCanvas())
        return WalkCanvases(*frames.Value(), strPath, nOnly, nFrames, size, options, fnTake);
    for (int nFrame = 1;; ++nFrame)
    {
        CResult<std::unique_ptr<CRowReader>> frame = frames.Value()->NextFrame();
        if (!frame)
            return InFrame(frame.Status(), strPath, nFrame, nFrames);
        if (!frame.Value())
            return {};
        if (nOnly != 0 && nFrame != nOnly)
            continue;
        CResult<CPicture> picture = ConvertReader(std::move(frame).Value(), size, options);
        if (!picture)
            return InFrame(picture.Status(), strPath, nFrame, nFrames);
        if (!fnTake(std::move(picture).Value()) || nFrame == nOnly)
            return {};
    }
}

} // namespace

CDecodeOptions DecodeOptionsFor(CPanelSize size, const CConvertOptions& options)
{
    CDecodeOptions decodeOptions;
    if (options.m_bFast)
    {
        // Still larger than any target of the fit, whichever way the photo turns.
        const int nLonger = std::max(size.m_nWidth, size.m_nHeight);
        decodeOptions.m_nScaleAboveWidth = options.m_bAutoOrient ? nLonger : size.m_nWidth;
        decodeOptions.m_nScaleAboveHeight = options.m_bAutoOrient ? nLonger : size.m_nHeight;
    }
    // Transparent pixels and a GIF's cleared areas go over it.
    decodeOptions.m_crBackground = options.m_crBackground;
    return decodeOptions;
}

CResult<CPicture> ConvertPictureToPanel(const std::string& strPath, CPanelSize size,
                                        const CConvertOptions& options)
{
    if (size.m_nWidth < 1 || size.m_nHeight < 1)
        return EmptyPanel(strPath);
    CResult<std::unique_ptr<CRowReader>> reader = OpenRowReader(strPath, DecodeOptionsFor(size, options));
    if (!reader)
        return NamingFile(reader.Status(), strPath);
    return ConvertRowsToPanel(std::move(reader).Value(), strPath, size, options);
}

CResult<CPicture> ConvertRowsToPanel(std::unique_ptr<CRowReader> pReader, const std::string& strName,
                                     CPanelSize size, const CConvertOptions& options)
{
    if (size.m_nWidth < 1 || size.m_nHeight < 1)
        return EmptyPanel(strName);
    CResult<CPicture> picture = ConvertReader(std::move(pReader), size, options);
    if (!picture)
        return NamingFile(picture.Status(), strName);
    return picture;
}

CResult<CPicture> ConvertDecodedToPanel(CPicture picture, const std::string& strName, CPanelSize size,
                                        const CConvertOptions& options)
{
    if (size.m_nWidth < 1 || size.m_nHeight < 1)
        return EmptyPanel(strName);
    CResult<CPicture> converted = ConvertReader(
        std::make_unique<CPictureRowReader>(std::move(picture), EPictureFormat::Bmp, false), size, options);
    if (!converted)
        return NamingFile(converted.Status(), strName);
    return converted;
}

CStatus ConvertFramesToPanel(const std::string& strPath, CPanelSize size, const CConvertOptions& options,
                             const FnTakeFrame& fnTake)
{
    return WalkFrames(strPath, 0, size, options, fnTake);
}

CStatus ConvertFramesToPanelWhole(const std::string& strPath, CPanelSize size, const CConvertOptions& options,
                                  const FnTakeFrame& fnTake)
{
    return WalkFrames(strPath, 0, size, options, fnTake, true);
}

CResult<CPicture> ConvertFrameToPanel(const std::string& strPath, int nFrame, CPanelSize size,
                                      const CConvertOptions& options)
{
    std::optional<CPicture> picture;
    CStatus status = WalkFrames(strPath, std::max(1, nFrame), size, options,
                                [&](CPicture frame)
                                {
                                    picture = std::move(frame);
                                    return false;
                                });
    if (status && !picture)
        status = CStatus::Error("Cannot convert frame " + std::to_string(nFrame) + " of '" + strPath +
                                "': the file ends before it");
    if (!status)
        return status;
    return std::move(*picture);
}

uint64_t EstimateConversionBytes(const std::string& strPath, CPanelSize size)
{
    return EstimateDecodeBytes(strPath) + PanelBytes(size);
}

uint64_t EstimateFramesConversionBytes(const std::string& strPath, CPanelSize size)
{
    return EstimateFrameDecodeBytes(strPath) + PanelBytes(size);
}

} // namespace tramino
