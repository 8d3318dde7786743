#pragma once

#include "show/Transition.h"

#include <QLabel>

#include <optional>

namespace tramino
{

struct CWindowTexts;

// The window's status line: what Transform would write for the list as it stands (panel, number
// of pictures, exact file size), or, after a run, the file it wrote and its size. The line has no
// room for a second row, so a long text narrows its gaps, then its font, to stay whole; only a
// text too long even then (a very long file name) is shortened in the middle. The tooltip holds
// it in full.
class CShowStatusLine : public QLabel
{
    Q_OBJECT

public:
    CShowStatusLine(const CWindowTexts& texts, QWidget* pParent);

    // No effect: the mode names none, and Transform would write nothing.
    void ShowPlanned(int nWidth, int nHeight, int nPictures, std::optional<EEffect> effect);
    // nWritten of nListed pictures went into strPath.
    void ShowWritten(const QString& strPath, int nWritten, int nListed);
    // While a show file plays: which of its pictures is shown, over the line, which meanwhile
    // still follows the list and comes back at EndPlaying.
    void ShowPlaying(int nPicture, int nPictures);
    void EndPlaying();

    const QString& FullText() const { return m_strPlaying.isEmpty() ? m_strFull : m_strPlaying; }

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void SetLine(const QString& strLine);
    void Fit();

    const CWindowTexts& m_texts;
    const QFont m_fontBase; // the window's, which a long text may have left
    QString m_strFull;
    QString m_strPlaying; // empty while no show plays
};

// A byte count with the thousands grouped ("1,849,634"), the same in every language.
QString GroupedNumber(qulonglong nValue);

} // namespace tramino
