#include "PictureOptionsDlg.h"

#include "DialogUnits.h"
#include "OptionsPreview.h"
#include "PanelPixmap.h"
#include "ReasonText.h"
#include "UiTexts.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <string_view>

namespace tramino
{
namespace
{

// A choice of the dialog: its option, whose values it offers in the order of its Lang.txt list.
struct CChoice
{
    EPictureOption m_option;
    EUiText m_eChoices;
};

constexpr std::array<CChoice, 4> g_arrChoices{{
    {EPictureOption::Fit, EUiText::OptionsFitChoices},
    {EPictureOption::Gravity, EUiText::OptionsGravityChoices},
    {EPictureOption::Dither, EUiText::OptionsDitherChoices},
    {EPictureOption::Frames, EUiText::OptionsFramesChoices},
}};

const std::array<CChoice, 4>& Choices()
{
    return g_arrChoices;
}

size_t Index(EPictureOption option)
{
    return static_cast<size_t>(option);
}

// The value every picture has for the option, or none when they differ.
std::optional<std::string> CommonValue(const std::vector<CPictureValues>& vecValues, EPictureOption option)
{
    const std::optional<std::string>& first = vecValues.front()[Index(option)];
    for (const CPictureValues& values : vecValues)
    {
        if (values[Index(option)] != first)
        {
            return std::nullopt;
        }
    }
    return first;
}

QComboBox* MakeCombo(const CChoice& choice, const CWindowTexts& texts, bool bVarious, QWidget* pParent)
{
    auto* pCombo = new QComboBox(pParent);
    const CPictureOptionInfo& info = PictureOptionInfo(choice.m_option);
    pCombo->setObjectName(QLatin1String(info.m_strKey.data(), static_cast<qsizetype>(info.m_strKey.size())));
    if (bVarious)
    {
        // No value: each picture keeps its own.
        pCombo->addItem(texts.Text(EUiText::OptionsVarious), QString());
    }
    const QStringList vecNames = texts.Text(choice.m_eChoices).split(QLatin1Char('|'));
    const std::span<const std::string_view> values = ListedValues(info);
    for (size_t i = 0; i < values.size(); ++i)
    {
        const QString strValue =
            QString::fromUtf8(values[i].data(), static_cast<qsizetype>(values[i].size()));
        // A translation with too few entries shows the value's own name for the rest.
        const qsizetype nIndex = static_cast<qsizetype>(i);
        pCombo->addItem(nIndex < vecNames.size() ? vecNames[nIndex].trimmed() : strValue, strValue);
    }
    return pCombo;
}

QIcon ColourIcon(const std::optional<CRgb>& cr, int nSize)
{
    QPixmap pixmap(nSize, nSize);
    pixmap.fill(cr ? QColor(cr->m_nRed, cr->m_nGreen, cr->m_nBlue) : QColor(Qt::transparent));
    return QIcon(pixmap);
}

} // namespace

CPictureOptionsDlg::CPictureOptionsDlg(const CWindowTexts& texts, const QString& strSubject,
                                       const std::vector<CPictureValues>& vecValues,
                                       const CPictureValues& defaults, CPreviewSubject subject,
                                       QWidget* pParent)
    : QDialog(pParent), m_defaults(defaults), m_texts(texts), m_firstValues(vecValues.front()),
      m_panel(subject.m_panel), m_nZoom(subject.m_nZoom)
{
    setWindowTitle(texts.Text(EUiText::OptionsTitle));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QFont font = this->font();
    font.setPixelSize(g_nDialogFontPixels);
    setFont(font);

    auto* pSubject = new QLabel(strSubject, this);
    pSubject->setTextFormat(Qt::PlainText);
    QFont fontBold = font;
    fontBold.setBold(true);
    pSubject->setFont(fontBold);

    auto* pForm = new QFormLayout;
    // The choices all as wide as the widest, the colour row as wide as it needs.
    pForm->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    const auto addChoice = [&](size_t nChoice, EUiText eLabel)
    {
        const CChoice& choice = Choices()[nChoice];
        QComboBox*& pCombo = m_arrCombos[Index(choice.m_option)];
        const std::optional<std::string> common = CommonValue(vecValues, choice.m_option);
        pCombo = MakeCombo(choice, texts, !common, this);
        pForm->addRow(texts.Text(eLabel), pCombo);
    };
    addChoice(0, EUiText::OptionsFit);
    addChoice(1, EUiText::OptionsGravity);

    m_bBackgroundVarious = !CommonValue(vecValues, EPictureOption::Background);
    m_editBackground = new QLineEdit(this);
    m_editBackground->setObjectName(QStringLiteral("background"));
    m_editBackground->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("#?[0-9A-Fa-f]{0,6}")), this));
    m_editBackground->setMaxLength(7);
    QString strWidest = QStringLiteral("#DDDDDDDD");
    if (m_bBackgroundVarious)
    {
        m_editBackground->setPlaceholderText(texts.Text(EUiText::OptionsVarious));
        strWidest = texts.Text(EUiText::OptionsVarious) + QStringLiteral("DD");
    }
    m_editBackground->setFixedWidth(fontMetrics().horizontalAdvance(strWidest));
    m_btnChooseColour = new QPushButton(texts.Text(EUiText::OptionsChooseColour), this);
    m_btnChooseColour->setObjectName(QStringLiteral("chooseColour"));
    m_strColourTitle = texts.Text(EUiText::OptionsColourTitle);
    m_btnChooseColour->setAutoDefault(false);
    auto* pBackground = new QHBoxLayout;
    pBackground->addWidget(m_editBackground);
    pBackground->addWidget(m_btnChooseColour);
    pBackground->addStretch();
    pForm->addRow(texts.Text(EUiText::OptionsBackground), pBackground);
    qobject_cast<QLabel*>(pForm->labelForField(pBackground))->setBuddy(m_editBackground);

    addChoice(2, EUiText::OptionsDither);
    addChoice(3, EUiText::OptionsFrames);
    auto* pHint = new QLabel(texts.Text(EUiText::OptionsFramesHint), this);
    pHint->setObjectName(QStringLiteral("framesHint"));
    pHint->setWordWrap(true);

    m_chkAutoOrient = new QCheckBox(texts.Text(EUiText::OptionsAutoOrient), this);
    m_chkAutoOrient->setObjectName(QStringLiteral("autoOrient"));
    m_chkAutoOrient->setTristate(!CommonValue(vecValues, EPictureOption::AutoOrient));

    auto* pButtons = new QDialogButtonBox(this);
    QPushButton* pDefaults =
        pButtons->addButton(texts.Text(EUiText::OptionsDefaults), QDialogButtonBox::ResetRole);
    pDefaults->setObjectName(QStringLiteral("defaults"));
    pDefaults->setAutoDefault(false);
    m_btnOk = pButtons->addButton(texts.Text(EUiText::Ok), QDialogButtonBox::AcceptRole);
    m_btnOk->setObjectName(QStringLiteral("ok"));
    m_btnOk->setDefault(true);
    const QString& strCancel = texts.m_arrLang[19];
    QPushButton* pCancel = pButtons->addButton(strCancel.isEmpty() ? QStringLiteral("Cancel") : strCancel,
                                               QDialogButtonBox::RejectRole);
    pCancel->setObjectName(QStringLiteral("cancel"));

    auto* pLayout = new QVBoxLayout;
    pLayout->addWidget(pSubject);
    pLayout->addLayout(pForm);
    pLayout->addWidget(m_chkAutoOrient);
    pLayout->addSpacing(DluToPixelsY(4));
    pLayout->addWidget(pButtons);
    auto* pOuter = new QHBoxLayout(this);
    pOuter->addLayout(pLayout);
    pOuter->addSpacing(DluToPixelsX(4));
    pOuter->addLayout(MakePreview(texts, subject.m_picture));
    pOuter->setSizeConstraint(QLayout::SetFixedSize);
    // The hint wraps within the width the controls take, not the other way round.
    pHint->setMaximumWidth(std::max(
        {pForm->sizeHint().width(), m_chkAutoOrient->sizeHint().width(), pButtons->sizeHint().width()}));
    pLayout->insertWidget(pLayout->indexOf(m_chkAutoOrient), pHint);

    // The values the pictures share; a control left at "several" shows none.
    CPictureValues shown = vecValues.front();
    for (size_t i = 0; i < shown.size(); ++i)
    {
        if (!CommonValue(vecValues, static_cast<EPictureOption>(i)))
        {
            shown[i].reset();
        }
    }
    ShowValues(shown);
    if (!shown[Index(EPictureOption::AutoOrient)])
    {
        m_chkAutoOrient->setCheckState(Qt::PartiallyChecked);
    }

    connect(m_arrCombos[Index(EPictureOption::Fit)], &QComboBox::currentIndexChanged, this,
            &CPictureOptionsDlg::UpdateEnabled);
    connect(m_editBackground, &QLineEdit::textChanged, this, &CPictureOptionsDlg::OnBackgroundEdited);
    connect(m_btnChooseColour, &QPushButton::clicked, this, &CPictureOptionsDlg::OnChooseColour);
    connect(pDefaults, &QPushButton::clicked, this, [this] { ShowValues(m_defaults); });
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    OnBackgroundEdited();

    if (subject.m_pConversion)
    {
        m_pConverter = std::make_unique<COptionsPreview>(
            std::move(subject.m_pConversion), subject.m_bFastFinal,
            [this](const CResult<CPicture>& result, bool bFinal) { OnPreviewConverted(result, bFinal); });
        m_timerRequest.setSingleShot(true);
        m_timerRequest.setInterval(0);
        connect(&m_timerRequest, &QTimer::timeout, this, &CPictureOptionsDlg::RequestPreview);
        const auto changed = [this] { m_timerRequest.start(); };
        for (QComboBox* pCombo : m_arrCombos)
        {
            if (pCombo != nullptr)
                connect(pCombo, &QComboBox::currentIndexChanged, this, changed);
        }
        connect(m_editBackground, &QLineEdit::textChanged, this, changed);
        connect(m_chkAutoOrient, &QCheckBox::stateChanged, this, changed);
        RequestPreview();
    }
}

CPictureOptionsDlg::~CPictureOptionsDlg() = default;

QLayout* CPictureOptionsDlg::MakePreview(const CWindowTexts& texts, const CPicture& picture)
{
    m_pPreview = new QLabel(this);
    m_pPreview->setObjectName(QStringLiteral("preview"));
    m_pPreview->setAlignment(Qt::AlignCenter);
    m_pPreview->setWordWrap(true);
    m_pPreview->setTextFormat(Qt::PlainText);
    m_previewed = picture.IsEmpty() ? CPicture(m_panel.m_nWidth, m_panel.m_nHeight, 24) : picture;
    SetZoom(m_nZoom);
    auto* pColumn = new QVBoxLayout;
    auto* pTitle = new QLabel(texts.Text(EUiText::PanelViewPanel), this);
    pTitle->setBuddy(m_pPreview);
    pColumn->addWidget(pTitle);
    pColumn->addWidget(m_pPreview);
    pColumn->addStretch();
    return pColumn;
}

void CPictureOptionsDlg::SetZoom(int nZoom)
{
    m_nZoom = nZoom;
    m_pPreview->setFixedSize(m_panel.m_nWidth * nZoom, m_panel.m_nHeight * nZoom);
    if (m_pPreview->text().isEmpty())
        m_pPreview->setPixmap(PanelPixmap(m_previewed, nZoom));
}

void CPictureOptionsDlg::PlaceBeside(const QWidget& window, const QRect& rectScreen)
{
    for (int nZoom = m_nZoom; nZoom >= 1; --nZoom)
    {
        SetZoom(nZoom);
        adjustSize();
        if (MoveBeside(*this, window, rectScreen, size()) || nZoom == 1)
            return;
    }
}

QImage CPictureOptionsDlg::PreviewImage() const
{
    return m_pPreview->pixmap().toImage();
}

void CPictureOptionsDlg::RequestPreview()
{
    m_bPreviewFinal = false;
    m_pConverter->Request(ConvertOptionsFor(EffectivePictureValues(m_firstValues, Chosen())));
}

void CPictureOptionsDlg::OnPreviewConverted(const CResult<CPicture>& result, bool bFinal)
{
    m_bPreviewFinal = bFinal;
    if (!result)
    {
        m_pPreview->setText(ReasonText(result.Status(), m_texts));
        return;
    }
    m_previewed = result.Value();
    m_pPreview->setText(QString());
    m_pPreview->setPixmap(PanelPixmap(m_previewed, m_nZoom));
}

void CPictureOptionsDlg::ShowValues(const CPictureValues& values)
{
    for (const CChoice& choice : Choices())
    {
        QComboBox* pCombo = m_arrCombos[Index(choice.m_option)];
        const std::optional<std::string>& value = values[Index(choice.m_option)];
        pCombo->setCurrentIndex(std::max(0, pCombo->findData(QString::fromStdString(value.value_or("")))));
    }
    if (const std::optional<std::string>& background = values[Index(EPictureOption::Background)])
    {
        m_editBackground->setText(QString::fromStdString(*background));
    }
    if (const std::optional<std::string>& autoOrient = values[Index(EPictureOption::AutoOrient)])
    {
        m_chkAutoOrient->setCheckState(*autoOrient == "true" ? Qt::Checked : Qt::Unchecked);
    }
    UpdateEnabled();
}

CPictureValues CPictureOptionsDlg::Chosen() const
{
    CPictureValues chosen;
    for (const CChoice& choice : Choices())
    {
        const QString strValue = m_arrCombos[Index(choice.m_option)]->currentData().toString();
        if (!strValue.isEmpty())
        {
            chosen[Index(choice.m_option)] = strValue.toStdString();
        }
    }
    if (const CResult<std::string> background =
            CanonicalPictureValue(EPictureOption::Background, m_editBackground->text().toStdString()))
    {
        chosen[Index(EPictureOption::Background)] = background.Value();
    }
    if (m_chkAutoOrient->checkState() != Qt::PartiallyChecked)
    {
        chosen[Index(EPictureOption::AutoOrient)] = m_chkAutoOrient->isChecked() ? "true" : "false";
    }
    return chosen;
}

void CPictureOptionsDlg::OnBackgroundEdited()
{
    const std::optional<CRgb> cr = ParseRgbHex(m_editBackground->text().toStdString());
    m_btnChooseColour->setIcon(ColourIcon(cr, fontMetrics().height()));
    UpdateEnabled();
}

void CPictureOptionsDlg::OnChooseColour()
{
    const std::optional<CRgb> cr = ParseRgbHex(m_editBackground->text().toStdString());
    const QColor crChosen = QColorDialog::getColor(
        cr ? QColor(cr->m_nRed, cr->m_nGreen, cr->m_nBlue) : Qt::black, this, m_strColourTitle);
    if (crChosen.isValid())
    {
        m_editBackground->setText(crChosen.name(QColor::HexRgb).mid(1).toUpper());
    }
}

void CPictureOptionsDlg::UpdateEnabled()
{
    // A stretched picture fills the panel: there is nothing to place.
    m_arrCombos[Index(EPictureOption::Gravity)]->setEnabled(
        m_arrCombos[Index(EPictureOption::Fit)]->currentData().toString() != QLatin1String("stretch"));
    const QString strBackground = m_editBackground->text();
    m_btnOk->setEnabled(strBackground.isEmpty() ? m_bBackgroundVarious
                                                : ParseRgbHex(strBackground.toStdString()).has_value());
}

} // namespace tramino
