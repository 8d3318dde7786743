#include "ShowStatusLine.h"

#include "UiTexts.h"

#include "show/ShowFileSize.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace tramino
{

CShowStatusLine::CShowStatusLine(const CWindowTexts& texts, QWidget* pParent)
    : QLabel(pParent), m_texts(texts)
{
    setTextFormat(Qt::PlainText);
}

void CShowStatusLine::ShowPlanned(int nWidth, int nHeight, int nPictures, std::optional<EEffect> effect)
{
    QStringList vecParts{m_texts.Text(EUiText::StatusPanel).arg(nWidth).arg(nHeight),
                         m_texts.Text(EUiText::StatusPictures).arg(nPictures)};
    if (nPictures > 0 && effect)
    {
        vecParts += m_texts.Text(EUiText::StatusBytes)
                        .arg(GroupedNumber(ShowFileBytes(*effect, nWidth, nHeight, nPictures)));
    }
    SetLine(vecParts.join(QStringLiteral("  \u00B7  ")));
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

void CShowStatusLine::resizeEvent(QResizeEvent* pEvent)
{
    QLabel::resizeEvent(pEvent);
    Elide();
}

void CShowStatusLine::SetLine(const QString& strLine)
{
    m_strFull = strLine;
    setToolTip(strLine);
    Elide();
}

void CShowStatusLine::Elide()
{
    setText(fontMetrics().elidedText(m_strFull, Qt::ElideMiddle, width()));
}

QString GroupedNumber(qulonglong nValue)
{
    return QLocale(QLocale::English).toString(nValue);
}

} // namespace tramino
