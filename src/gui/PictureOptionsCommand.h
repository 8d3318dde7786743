#pragma once

#include "PictureOptionsDlg.h"

#include "project/PictureValues.h"

#include <QList>

#include <vector>

namespace tramino
{

class IShowWindow;

// Picture options of listed pictures: the dialog asks, and every picture whose options change
// is converted again from its source file on the import's workers (the list busy meanwhile, with
// the progress and Cancel of a long load). The results take the place of the rows' pictures, by
// the rows' identities, together with their options, as one step of the history; the preview
// shows them at once. A picture that cannot be converted again (its file gone or broken, or taken
// from a show file) keeps its picture and options; one message names each with the reason.
class CPictureOptionsCommand
{
public:
    explicit CPictureOptionsCommand(IShowWindow& window) : m_window(window) {}

    // Opens the dialog on the rows (sorted, at least one) and applies what the user chose.
    void Edit(const QList<int>& vecRows);
    // Gives each of the rows the chosen options (those set), keeping its own for the rest.
    void Apply(const QList<int>& vecRows, const CPictureValues& chosen);

private:
    // The first picture as the dialog previews it.
    CPreviewSubject PreviewOf(int nRow);

    IShowWindow& m_window;
};

} // namespace tramino
