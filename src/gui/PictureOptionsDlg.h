#pragma once

#include "project/PictureValues.h"

#include <QDialog>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace tramino
{

struct CWindowTexts;

// The options of the selected pictures: fit, gravity, background, dither, GIF frames and
// orientation. It opens on the pictures' values; a control whose pictures differ says so and,
// left alone, keeps each picture's own. Project defaults puts the project's values into every
// control. The controls carry object names ("fit", "gravity", "background", "chooseColour",
// "dither", "frames", "autoOrient", "defaults", "ok", "cancel") for tests.
class CPictureOptionsDlg : public QDialog
{
    Q_OBJECT

public:
    // strSubject names what the dialog is for (a file, or how many pictures); vecValues are the
    // effective values of each picture (at least one), defaults the project's.
    CPictureOptionsDlg(const CWindowTexts& texts, const QString& strSubject,
                       const std::vector<CPictureValues>& vecValues, const CPictureValues& defaults,
                       QWidget* pParent);

    // What the user chose: each option that has a value of its own is set, one still left to
    // the pictures' several values is not. Over a picture's values, EffectivePictureValues gives
    // its new ones.
    CPictureValues Chosen() const;

private:
    // Every control at these values (each set).
    void ShowValues(const CPictureValues& values);
    void OnBackgroundEdited();
    void OnChooseColour();
    void UpdateEnabled();

    CPictureValues m_defaults;
    // The combo boxes of fit, gravity, dither and frames, by option (null for the other two).
    std::array<QComboBox*, g_nPictureOptionCount> m_arrCombos{};
    QLineEdit* m_editBackground = nullptr;
    QPushButton* m_btnChooseColour = nullptr;
    QString m_strColourTitle;
    QCheckBox* m_chkAutoOrient = nullptr;
    QPushButton* m_btnOk = nullptr;
    bool m_bBackgroundVarious = false; // the pictures' backgrounds differ
};

} // namespace tramino
