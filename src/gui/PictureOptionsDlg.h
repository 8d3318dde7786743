#pragma once

#include "picture/Picture.h"
#include "pipeline/RepeatedConversion.h"
#include "project/PictureValues.h"
#include "settings/PanelSize.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tramino
{

class COptionsPreview;
struct CWindowTexts;

// What the options dialog previews: the first of its pictures, converted for the panel.
struct CPreviewSubject
{
    CPanelSize m_panel;
    // Converts the picture again; null for one that cannot be (taken from a show file).
    std::unique_ptr<CRepeatedConversion> m_pConversion;
    CPicture m_picture;        // shown as it is when it cannot be converted again
    bool m_bFastFinal = false; // stored from the fast decoding
    int m_nZoom = 1;
};

// The options of the selected pictures: fit, gravity, background, dither, GIF frames and
// orientation. It opens on the pictures' values; a control whose pictures differ says so and,
// left alone, keeps each picture's own. Project defaults puts the project's values into every
// control. Beside the controls the first picture is shown as the choices make it, in the panel's
// colours: soon after each change from the fast decoding, then as OK will store it. The controls
// carry object names ("fit", "gravity", "background", "chooseColour", "dither", "frames",
// "autoOrient", "defaults", "ok", "cancel", "preview") for tests.
class CPictureOptionsDlg : public QDialog
{
    Q_OBJECT

public:
    // strSubject names what the dialog is for (a file, or how many pictures); vecValues are the
    // effective values of each picture (at least one), defaults the project's.
    CPictureOptionsDlg(const CWindowTexts& texts, const QString& strSubject,
                       const std::vector<CPictureValues>& vecValues, const CPictureValues& defaults,
                       CPreviewSubject subject, QWidget* pParent);
    ~CPictureOptionsDlg() override;

    // What the user chose: each option that has a value of its own is set, one still left to
    // the pictures' several values is not. Over a picture's values, EffectivePictureValues gives
    // its new ones.
    CPictureValues Chosen() const;

    // Before it is shown: to the right of the window, or below it, at the largest zoom up to the
    // subject's that leaves the dialog room there; else at zoom 1 in a corner of the screen.
    void PlaceBeside(const QWidget& window, const QRect& rectScreen);
    int PreviewZoom() const { return m_nZoom; }
    // What the preview shows now, and whether it is the picture as OK stores it.
    QImage PreviewImage() const;
    bool IsPreviewFinal() const { return m_bPreviewFinal; }

private:
    QLayout* MakePreview(const CWindowTexts& texts, const CPicture& picture);
    void SetZoom(int nZoom);
    void RequestPreview();
    void OnPreviewConverted(const CResult<CPicture>& result, bool bFinal);
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

    const CWindowTexts& m_texts;
    CPictureValues m_firstValues; // of the picture previewed
    CPanelSize m_panel;
    int m_nZoom = 1;
    QLabel* m_pPreview = nullptr;
    CPicture m_previewed; // what the preview shows, at the panel's size
    bool m_bPreviewFinal = false;
    QTimer m_timerRequest;                         // one request for the several signals of one change
    std::unique_ptr<COptionsPreview> m_pConverter; // last: its results reach the members above
};

} // namespace tramino
