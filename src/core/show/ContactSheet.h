#pragma once

#include "picture/Picture.h"
#include "settings/PanelSize.h"
#include "show/ShowFileReader.h"

#include <cstddef>
#include <cstdint>

namespace tramino
{

// The contact sheets of a show, drawn picture by picture: one row per picture, the picture as the
// device shows it and then its transition at eight moments (after 1/8, 2/8, ... of its pixels),
// on sheets of a bounded number of rows. Panels wider than 160 get their moments at half size,
// four by four, so a row stays one panel high; panels too large for a sheet of g_nMaxPngSide
// pixels a side have the whole row reduced until it fits.
class CContactSheet
{
public:
    // Sheets hold nPicturesPerSheet rows (at least one), fewer when that many would be too tall.
    CContactSheet(CPanelSize panel, int nPicturesPerSheet);

    int PicturesPerSheet() const { return m_nPerSheet; }
    int Width() const { return m_nWidth; }
    // A sheet of nRows pictures: the margin above the first row, then each row with the margin below it.
    int Height(int nRows) const;
    int BandHeight() const;

    // One row of the sheet's background, Width() red, green, blue triples: the margin above the
    // first row is TopMarginRows() of these.
    const uint8_t* BackgroundRow() const { return m_band.Row(m_band.Height() - 1); }
    static int TopMarginRows();

    // The next picture's row and the margin below it (BandHeight() rows). The transition starts
    // from the panel as the picture before left it, black before the first.
    const CPicture& Draw(const CShowFilePicture& picture);
    // Leaves a picture out: the next one starts from it, as if it had been drawn.
    void Skip(const CShowFilePicture& picture);

private:
    void Lay(int nReduce);
    void ClearBand();
    // The picture averaged over nScale x nScale blocks into the band at (nLeft, nTop).
    void PasteReduced(const CPicture& picture, int nScale, int nLeft, int nTop);
    void PasteFrame(int nFrame);

    CPanelSize m_panel;
    int m_nFrameScale; // the moments' reduction against the picture's
    int m_nPerRow;     // moments side by side
    int m_nReduce = 1; // the picture's reduction
    int m_nPictureWidth = 0;
    int m_nPictureHeight = 0;
    int m_nFrameWidth = 0;
    int m_nFrameHeight = 0;
    int m_nRowHeight = 0;
    int m_nStripLeft = 0;
    int m_nWidth = 0;
    int m_nPerSheet = 1;
    CPicture m_canvas; // the panel as the transitions leave it
    CPicture m_band;
};

} // namespace tramino
