#pragma once

#include "project/PictureValues.h"

#include <QList>

#include <vector>

namespace tramino
{

class CMainDlg;

// Picture options of listed pictures: the dialog asks, and every picture whose options change
// is converted again from its source file on the import's workers (the list busy meanwhile, with
// the progress and Cancel of a long load). Each result takes the place of the picture at its
// row, in the store and in the project, and the preview shows it at once. A picture that cannot
// be converted again (its file gone or broken, or taken from a show file) keeps its picture and
// options; one message names each with the reason.
class CPictureOptionsCommand
{
public:
    explicit CPictureOptionsCommand(CMainDlg& dlg) : m_dlg(dlg) {}

    // Opens the dialog on the rows (sorted, at least one) and applies what the user chose.
    void Edit(const QList<int>& vecRows);
    // Gives each of the rows the chosen options (those set), keeping its own for the rest.
    void Apply(const QList<int>& vecRows, const CPictureValues& chosen);

private:
    CMainDlg& m_dlg;
};

} // namespace tramino
