#include "ShowStatusLine.h"

#include "UiTexts.h"

#include "show/ShowFileSize.h"

#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLocale>

namespace tramino
{
namespace
{

const QString g_strGap = QStringLiteral("  \u00B7  ");
const QString g_strNarrowGap = QStringLiteral(" \u00B7 ");
// Below this the line would no longer be read comfortably; a text still too long is shortened.
constexpr int g_nSmallestPixels = 8;

int FontPixels(const QFont& font)
{
    return font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
}

} // namespace

CShowStatusLine::CShowStatusLine(const CWindowTexts& texts, QWidget* pParent)
    : QLabel(pParent), m_texts(texts), m_fontBase(font())
{
    setTextFormat(Qt::PlainText);
}

void CShowStatusLine::ShowPlanned(int nWidth, int nHeight, int nPictures, std::optional<EEffect> effect)
{
    QStringList vecParts{m_texts.Text(EUiText::StatusPanel).arg(nWidth).arg(nHeight),
                         nPictures == 1 ? m_texts.Text(EUiText::PictureOne)
                                        : m_texts.Text(EUiText::StatusPictures).arg(nPictures)};
    if (nPictures > 0 && effect)
    {
        vecParts += m_texts.Text(EUiText::StatusBytes)
                        .arg(GroupedNumber(
                            ShowFileBytes(*effect, nWidth, nHeight, static_cast<uint64_t>(nPictures))));
    }
    SetLine(vecParts.join(g_strGap));
}

void CShowStatusLine::ShowWritten(const QString& strPath, int nWritten, int nListed)
{
    const QFileInfo info(strPath);
    const QString strSize = GroupedNumber(static_cast<qulonglong>(info.size()));
    SetLine(nWritten < nListed ? m_texts.Text(EUiText::StatusStopped)
                                     .arg(info.fileName())
                                     .arg(nWritten)
                                     .arg(nListed)
                                     .arg(strSize)
                               : m_texts.Text(EUiText::StatusWritten).arg(info.fileName(), strSize));
    setToolTip(QDir::toNativeSeparators(info.absoluteFilePath()) + QLatin1Char('\n') + m_strFull);
}

void CShowStatusLine::ShowPlaying(int nPicture, int nPictures)
{
    m_strPlaying = m_texts.Text(EUiText::StatusPlaying).arg(nPicture).arg(nPictures);
    Fit();
}

void CShowStatusLine::EndPlaying()
{
    m_strPlaying.clear();
    Fit();
}

void CShowStatusLine::resizeEvent(QResizeEvent* pEvent)
{
    QLabel::resizeEvent(pEvent);
    Fit();
}

void CShowStatusLine::SetLine(const QString& strLine)
{
    m_strFull = strLine;
    setToolTip(strLine);
    Fit();
}

void CShowStatusLine::Fit()
{
    const int nRoom = contentsRect().width();
    QString strShown = FullText();
    QFont font = m_fontBase;
    if (QFontMetrics(font).horizontalAdvance(strShown) > nRoom)
    {
        strShown.replace(g_strGap, g_strNarrowGap);
    }
    while (QFontMetrics(font).horizontalAdvance(strShown) > nRoom && FontPixels(font) > g_nSmallestPixels)
    {
        font.setPixelSize(FontPixels(font) - 1);
    }
    setFont(font);
    setText(QFontMetrics(font).elidedText(strShown, Qt::ElideMiddle, nRoom));
}

QString GroupedNumber(qulonglong nValue)
{
    return QLocale(QLocale::English).toString(nValue);
}

} // namespace tramino
