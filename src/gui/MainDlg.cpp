#include "MainDlg.h"

#include "AboutDlg.h"
#include "CheckBoxPlacement.h"
#include "DialogUnits.h"
#include "Dialogs.h"
#include "DocumentUndo.h"
#include "FileOpening.h"
#include "Globals.h"
#include "LastFolderDialogs.h"
#include "ListDropHandler.h"
#include "ModeBox.h"
#include "PanelCanvas.h"
#include "PanelSwitch.h"
#include "PanelViewDlg.h"
#include "PathDelegate.h"
#include "PathText.h"
#include "PictureImport.h"
#include "PictureOptionsCommand.h"
#include "ProjectActions.h"
#include "ReasonText.h"
#include "RecentMenu.h"
#include "ShowListModel.h"
#include "ShowListView.h"
#include "ShowStatusLine.h"
#include "UnreadableSettings.h"

#include "common/Version.h"
#include "document/DocumentCommands.h"
#include "pipeline/ShowPictureSource.h"
#include "project/ProjectSave.h"
#include "settings/DataFile.h"
#include "settings/StartupSettings.h"
#include "show/Transition.h"
#include "store/PictureStore.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QTableView>

#include <utility>

namespace tramino
{
namespace
{

constexpr int g_nRefreshTimerMs = 100;
constexpr int g_nListColumnWidth = 715;
constexpr QRgb g_crKeyMagenta = 0xFFFF00FF;

QString ObjectName(int nId)
{
    return QString::number(nId);
}

QString Text(int nKey)
{
    return g_szLangText[static_cast<size_t>(nKey)];
}

template <class TControl>
TControl* MakeControl(QWidget* pParent, int nId, int nX, int nY, int nWidth, int nHeight)
{
    auto* pControl = new TControl(pParent);
    pControl->setObjectName(ObjectName(nId));
    pControl->setGeometry(DluRect(nX, nY, nWidth, nHeight));
    return pControl;
}

QPushButton* MakeButton(QWidget* pParent, int nId, int nX, int nY, const char* szText)
{
    auto* pButton = MakeControl<QPushButton>(pParent, nId, nX, nY, 70, 16);
    pButton->setText(QString::fromUtf8(szText));
    // Enter on a focused button presses it; anywhere else Enter closes (keyPressEvent).
    pButton->setAutoDefault(false);
    return pButton;
}

} // namespace

CMainDlg::CMainDlg(std::shared_ptr<IDialogs> pDialogs)
    : m_pDialogs(std::make_shared<CLastFolderDialogs>(
          pDialogs ? std::move(pDialogs) : std::make_shared<CQtDialogs>(), m_settings)),
      m_workerUi(
          m_workerUiDirect, [this](std::function<void()> fn) { m_uiTasks.Post(std::move(fn)); },
          m_workerShared)
{
    setWindowTitle(QStringLiteral("Tramino V" TRAMINO_VERSION));
    setWindowIcon(QIcon(QStringLiteral(":/tramino.png")));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QFont font = this->font();
    font.setPixelSize(g_nDialogFontPixels);
    setFont(font);
    setFixedSize(DluSize(503, 273));
    move(0, 0);

    m_timerRefresh.setInterval(g_nRefreshTimerMs);
    connect(&m_timerRefresh, &QTimer::timeout, this, &CMainDlg::OnTimer);

    OnInitDialog();
}

CMainDlg::~CMainDlg()
{
    RequestCloseAndWait(m_workerShared, m_workerThread);
    // The document's observers and the history that holds commands on it go before it does.
    delete m_pListModel;
    delete m_pProject;
    delete m_pPanelSwitch;
    delete m_pUndo;
    QCoreApplication::removeTranslator(&m_qtTranslator);
    if (g_btnLoadImage != nullptr && g_btnLoadImage->parentWidget() == this)
    {
        for (QPushButton** ppButton : {&g_btnLoadImage, &g_btnPreview, &g_btnTransform, &g_btnClean,
                                       &g_btnDelete, &g_btnUp, &g_btnDown})
        {
            *ppButton = nullptr;
        }
    }
}

void CMainDlg::OnInitDialog()
{
    m_workerShared.m_bIgnoreListSelect.store(false);

    const CStartupSettings settings = LoadStartupSettings();
    LoadTexts(settings.m_codes.m_nLanguageCode);
    m_pDocument = std::make_unique<CShowDocument>(
        settings.m_panelSize, EEffect::Normal,
        [this](CPanelSize panel) { return CPictureStore::Create(panel, {}, m_pStoreFileOps); });

    CreateControls();
    PlacePreviewWindow();

    // The hidden fields show the panel size; they are never read back.
    m_editWidth->setText(QString::number(Panel().m_nWidth));
    m_editHeight->setText(QString::number(Panel().m_nHeight));
    m_editWidth->setEnabled(false);
    m_editHeight->setEnabled(false);

    FillModeBox(*m_cbMode);
    SetCaptions();
    PlaceAboveButtons(*m_chkFullSpeed, *findChild<QGroupBox*>(ObjectName(1024)), *m_cbMode,
                      g_btnPreview->y() - 1,
                      findChild<QGroupBox*>(ObjectName(1001))->geometry().bottom() + 3);
    ApplySkin();
    // The show starts empty, on the transition the mode box starts on, with nothing to save.
    CDocumentContents empty =
        CShowDocument::EmptyContents(settings.m_panelSize, CurrentEffect().value_or(EEffect::Normal));
    // Off by default: the reduction then sees every pixel of the photo. TRAMINO_FAST_IMPORT=1
    // turns it on at start-up; the window's context menu toggles it for the project.
    empty.m_project.m_bFastImport = qEnvironmentVariableIntValue("TRAMINO_FAST_IMPORT") != 0;
    empty.m_saved = empty.m_project;
    m_pDocument->ExchangeContents(empty);
    m_pDocument->AddObserver(*this);
    connect(m_cbMode, &QComboBox::currentIndexChanged, this, &CMainDlg::OnModeChanged);
    UpdateStatusLine();

    m_pConversions = std::make_unique<CConversionRunner>(
        *this, m_texts, *m_pDocument,
        CConversionRunner::CHooks{[this](const QString& strText) { ReportError(strText); },
                                  [this] { OnClose(QDialog::Rejected); }});
    m_pUndo = new CDocumentUndo(
        *this, m_texts,
        {[this] { return IsListBusy(); }, [this](const QString& strText) { ReportError(strText); }});
    m_settings.OnWriteFailed(
        [this](const QString& strFile)
        { Say(m_texts.Text(EUiText::SettingsNotWritten).arg(strFile), EMessageKind::Warning); });
    m_pProject = new CProjectActions(*this);
    m_pFiles = std::make_unique<CFileOpening>(
        *this, *m_pProject,
        CFileOpening::CHooks{[this](const QStringList& vecPaths) { LoadPictures(vecPaths); },
                             [this](std::vector<CShowFrame> vecFrames)
                             { PlayShowFile(std::move(vecFrames)); },
                             [this](const QString& strShow, const std::vector<CShowFilePicture>& vecPictures)
                             {
                                 if (EnsureStore())
                                     CPictureImport(*this).AddFromShow(strShow, vecPictures);
                             }});
    m_pPanelSwitch = new CPanelSwitch(*this);

    const std::pair<QKeySequence, std::function<void()>> aShortcuts[] = {
        {QKeySequence(Qt::Key_F1), [this] { OnAbout(); }},
        {QKeySequence(Qt::Key_F3), [this] { OnPanelView(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_O), [this] { OnLoadImage(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_N), [this] { OnNewProject(); }},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), [this] { m_pFiles->OnOpenShow(); }},
        {QKeySequence(Qt::ALT | Qt::Key_Return), [this] { OnPictureOptions(); }},
        {QKeySequence(Qt::SHIFT | Qt::Key_F10), [this] { OnMenuKey(); }}};
    for (const auto& [keys, fnAction] : aShortcuts)
    {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, fnAction);
    }
}

void CMainDlg::LoadTexts(int nLanguageCode)
{
    m_texts = LoadWindowTexts(FindDataFile("Lang.txt"), nLanguageCode);
    g_szLangText = m_texts.m_arrLang;
    const QString strQtLanguage = QtTranslationName(nLanguageCode);
    if (!strQtLanguage.isEmpty() && m_qtTranslator.load(QStringLiteral("qt_") + strQtLanguage,
                                                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    {
        QCoreApplication::installTranslator(&m_qtTranslator);
    }
    m_strStartupNotice = StartupNotice(m_texts);
}

void CMainDlg::CreateControls()
{
    MakeControl<QGroupBox>(this, 1001, 269, 7, 228, 171)->setTitle(QStringLiteral("Slide Show Preview"));
    MakeControl<QGroupBox>(this, 1024, 270, 185, 227, 32)->setTitle(QStringLiteral("Slide Show Mode"));
    auto* pPanelGroup = MakeControl<QGroupBox>(this, 1025, 87, 7, 143, 108);
    pPanelGroup->setTitle(QStringLiteral("Panel Size"));

    m_wndPreview = new CPanelCanvas(this, Panel().m_nWidth, Panel().m_nHeight);
    m_wndPreview->setObjectName(ObjectName(1012));
    m_wndPreview->setGeometry(DluRect(373, 84, 15, 13));

    m_cbMode = MakeControl<QComboBox>(this, 1013, 280, 198, 210, 42);
    // A drop-down list shows one line; its height in the template is that of the open list.
    m_cbMode->setFixedHeight(DluToPixelsY(14));
    // The Menu key on the mode box opens the window's menu, as on every other control.
    m_cbMode->setContextMenuPolicy(Qt::NoContextMenu);

    for (auto [ppEdit, nId, nX, nY] :
         {std::tuple{&m_editWidth, 1014, 161, 7}, std::tuple{&m_editHeight, 1015, 87, 15}})
    {
        *ppEdit = MakeControl<QLineEdit>(this, nId, nX, nY, 45, 12);
        (*ppEdit)->setValidator(new QIntValidator(0, 99999, *ppEdit));
    }
    MakeControl<QLabel>(this, 1026, 122, 7, 24, 12)->setText(QStringLiteral("Width"));
    MakeControl<QLabel>(this, 1027, 138, 7, 29, 16)->setText(QStringLiteral("Height"));

    g_btnLoadImage = MakeButton(this, 1016, 268, 226, "Load Image");
    g_btnPreview = MakeButton(this, 1017, 347, 225, "Preview");
    g_btnTransform = MakeButton(this, 1018, 427, 226, "Transform");
    g_btnClean = MakeButton(this, 1019, 138, 14, "Clean");
    g_btnClean->resize(DluSize(25, 16));
    g_btnDelete = MakeButton(this, 1020, 426, 250, "Delete");
    g_btnUp = MakeButton(this, 1021, 267, 250, "Up");
    g_btnDown = MakeButton(this, 1023, 347, 250, "Down");

    m_chkFullSpeed = MakeControl<QCheckBox>(this, 1031, 271, 217, 200, 8);
    // Tab reaches it where it stands: between the mode box and the buttons.
    setTabOrder(m_cbMode, m_chkFullSpeed);
    m_pStatusLine = new CShowStatusLine(m_texts, this);
    m_pStatusLine->setObjectName(ObjectName(1030));

    m_pListCtrl = MakeControl<QTableView>(this, 1022, 7, 7, 255, 260);
    m_pListModel = new CShowListModel(*m_pDocument, this);
    m_pListCtrl->setModel(m_pListModel);
    m_pListDelegate = new CPathDelegate(m_pListCtrl);
    m_pListCtrl->setItemDelegate(m_pListDelegate);
    m_pListCtrl->installEventFilter(this);
    SetUpShowList(*m_pListCtrl, g_nListColumnWidth, fontMetrics().height() + 4);
    connect(m_pListCtrl->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CMainDlg::OnListItemChanged);
    connect(m_pListCtrl, &QTableView::doubleClicked, this, &CMainDlg::OnPictureOptions);
    new CListDropHandler(*m_pListCtrl,
                         {[this] { return IsListBusy(); },
                          [this](const QStringList& vecPaths, int nRow) { LoadPictures(vecPaths, nRow); },
                          [this](const QString& strPath) { m_pFiles->OpenFile(strPath); },
                          [this](int nRow) { MoveSelected(nRow); }});

    for (QWidget* pHidden : std::initializer_list<QWidget*>{pPanelGroup, m_editWidth, m_editHeight,
                                                            findChild<QLabel*>(ObjectName(1026)),
                                                            findChild<QLabel*>(ObjectName(1027)), g_btnClean})
    {
        pHidden->hide();
    }

    connect(g_btnLoadImage, &QPushButton::clicked, this, &CMainDlg::OnLoadImage);
    connect(g_btnClean, &QPushButton::clicked, this, &CMainDlg::OnClean);
    connect(g_btnDelete, &QPushButton::clicked, this, &CMainDlg::OnDelete);
    connect(g_btnUp, &QPushButton::clicked, this, &CMainDlg::OnUp);
    connect(g_btnDown, &QPushButton::clicked, this, &CMainDlg::OnDown);
    connect(g_btnPreview, &QPushButton::clicked, this, &CMainDlg::OnPreview);
    connect(g_btnTransform, &QPushButton::clicked, this, &CMainDlg::OnTransform);
    // A show file playing is stopped by the Preview button, as a Preview run is.
    connect(&m_showPlayer, &CShowPlayer::PictureStarted, this,
            [this](int nPicture, int nPictures)
            {
                g_btnPreview->setText(Text(16));
                m_pStatusLine->ShowPlaying(nPicture, nPictures);
            });
    connect(&m_showPlayer, &CShowPlayer::Ended, this,
            [this]
            {
                g_btnPreview->setText(Text(1));
                m_pStatusLine->EndPlaying();
            });
}

void CMainDlg::PlacePreviewWindow()
{
    // Centred in the preview group box, in client coordinates.
    const QRect rectGroup = findChild<QGroupBox*>(ObjectName(1001))->geometry();
    const int x = rectGroup.left() + (rectGroup.width() - Panel().m_nWidth) / 2;
    const int y = rectGroup.top() + (rectGroup.height() - Panel().m_nHeight) / 2;
    m_wndPreview->setGeometry(x, y, Panel().m_nWidth, Panel().m_nHeight);
    m_wndPreview->raise();
    m_wndPreview->show();
    // Along the group's bottom edge, below even the tallest panel.
    const int nLineHeight = fontMetrics().height() + 2;
    m_pStatusLine->setGeometry(rectGroup.left() + 8, rectGroup.bottom() - nLineHeight - 2,
                               rectGroup.width() - 16, nLineHeight);
    m_pStatusLine->raise();
}

void CMainDlg::SetCaptions()
{
    const std::pair<int, int> aCaptions[] = {{1001, 1}, {1024, 2},  {1025, 3}, {1016, 4},
                                             {1017, 1}, {1018, 5},  {1020, 6}, {1021, 7},
                                             {1023, 8}, {1026, 14}, {1027, 15}};
    for (const auto& [nId, nKey] : aCaptions)
    {
        QObject* pControl = findChild<QObject*>(ObjectName(nId));
        if (auto* pGroup = qobject_cast<QGroupBox*>(pControl))
        {
            pGroup->setTitle(Text(nKey));
        }
        else if (auto* pButton = qobject_cast<QPushButton*>(pControl))
        {
            pButton->setText(Text(nKey));
        }
        else if (auto* pLabel = qobject_cast<QLabel*>(pControl))
        {
            pLabel->setText(Text(nKey));
        }
    }
    m_pListModel->SetHeader(Text(0));
    m_pListModel->SetFramesText(m_texts.Text(EUiText::ListFrames));
    m_chkFullSpeed->setText(m_texts.Text(EUiText::FullSpeed));

    const std::pair<QWidget*, EUiText> aTips[] = {{g_btnLoadImage, EUiText::TipLoadImage},
                                                  {g_btnPreview, EUiText::TipPreview},
                                                  {g_btnTransform, EUiText::TipTransform},
                                                  {g_btnDelete, EUiText::TipDelete},
                                                  {g_btnUp, EUiText::TipUp},
                                                  {g_btnDown, EUiText::TipDown},
                                                  {m_cbMode, EUiText::TipMode},
                                                  {m_chkFullSpeed, EUiText::TipFullSpeed}};
    for (const auto& [pControl, eText] : aTips)
    {
        pControl->setToolTip(m_texts.Text(eText));
    }
}

void CMainDlg::ApplySkin()
{
    if (const auto path = FindDataFile("BG.bmp"))
    {
        LoadBackground(QString::fromStdString(path->string()));
    }
    EnableShape(true);
    SetKeyColor(g_crKeyMagenta);
    m_bTransparentStatics = true;
    m_bDragAnywhere = true;
}

void CMainDlg::StartRefreshTimer()
{
    // Whatever the preview is to show next ends a show being played, and the frames of a GIF.
    m_showPlayer.Stop();
    m_frameAnimation.Stop();
    m_timerRefresh.start();
}

void CMainDlg::StopRefreshTimer()
{
    m_showPlayer.Stop();
    m_frameAnimation.Stop();
    m_timerRefresh.stop();
}

void CMainDlg::OnTimer()
{
    if (m_pDocument->ImageCount() < 1 || m_pDocument->Store() == nullptr)
    {
        return;
    }
    if (m_frameAnimation.IsPlaying())
    {
        if (const std::optional<CPicture> frame = m_frameAnimation.Next())
        {
            m_wndPreview->DrawPicture(*frame);
        }
        return;
    }
    // A picture that cannot be read draws nothing; the store already reported how it broke.
    const int nShown = m_pDocument->ShownImage();
    const CResult<CPicture> picture = m_pDocument->Store()->Read(nShown);
    if (picture)
    {
        m_wndPreview->DrawPicture(picture.Value());
    }
    // The store holds the first frame; the others follow at the show's pace.
    const CShowRow& row = m_pDocument->Row(nShown);
    if (row.m_nFrames > 1 && !m_workerShared.m_bBusy.load())
    {
        CConvertOptions options = ConvertOptionsFor(m_pDocument->EffectiveValues(nShown));
        options.m_bFast = IsFastImport();
        m_frameAnimation.Start(row.m_strSource, row.m_nFrames, options, Panel(), m_workerTiming.m_nHoldMs);
    }
}

QList<int> CMainDlg::SelectedRows() const
{
    QList<int> vecRows;
    for (const QModelIndex& index : m_pListCtrl->selectionModel()->selectedRows())
    {
        vecRows.append(index.row());
    }
    std::sort(vecRows.begin(), vecRows.end());
    return vecRows;
}

void CMainDlg::SelectOnly(int nRow)
{
    // Selected and focused, every other item unselected, and entirely in view.
    const QModelIndex index = m_pListCtrl->model()->index(nRow, 0);
    m_pListCtrl->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
    m_pListCtrl->scrollTo(index, QAbstractItemView::EnsureVisible);
}

void CMainDlg::OnListItemChanged()
{
    if (m_workerShared.m_bIgnoreListSelect.load())
    {
        return;
    }
    const QList<int> vecRows = SelectedRows();
    if (vecRows.size() != 1)
    {
        return;
    }
    m_pDocument->SetShownImage(vecRows.constFirst());
    StartRefreshTimer();
}

std::vector<RowId> CMainDlg::SelectedIds() const
{
    std::vector<RowId> vecIds;
    for (const int nRow : SelectedRows())
    {
        vecIds.push_back(m_pDocument->Row(nRow).m_nId);
    }
    return vecIds;
}

void CMainDlg::OnChanged(const CDocumentChange& change)
{
    const EDocumentChange eKind = change.m_eKind;
    // The frames played may be of a row gone, moved or converted otherwise: the timer starts over.
    m_frameAnimation.Stop();
    if (eKind == EDocumentChange::Panel || eKind == EDocumentChange::Reset)
    {
        ShowPanel();
    }
    if ((eKind == EDocumentChange::Effect || eKind == EDocumentChange::Reset) &&
        CurrentEffect().value_or(EEffect::Normal) != m_pDocument->Effect())
    {
        m_bSyncingMode = true;
        SelectModeBoxEffect(*m_cbMode, m_pDocument->Effect());
        m_bSyncingMode = false;
    }
    if (m_pDocument->ImageCount() == 0 &&
        (eKind == EDocumentChange::Removed || eKind == EDocumentChange::Reset))
    {
        StopRefreshTimer();
        m_wndPreview->Clear();
    }
    // Pictures converted again are seen at once.
    if (eKind == EDocumentChange::Pictures && IsRefreshTimerActive())
    {
        OnTimer();
    }
    UpdateStatusLine();
}

void CMainDlg::ShowPanel()
{
    const CPanelSize panel = m_pDocument->Panel();
    if (panel == CPanelSize{m_wndPreview->PanelWidth(), m_wndPreview->PanelHeight()})
    {
        return;
    }
    const bool bShowing = IsRefreshTimerActive();
    StopRefreshTimer();
    m_editWidth->setText(QString::number(panel.m_nWidth));
    m_editHeight->setText(QString::number(panel.m_nHeight));
    m_wndPreview->SetPanelSize(panel.m_nWidth, panel.m_nHeight);
    PlacePreviewWindow();
    if (bShowing && m_pDocument->Store() != nullptr)
    {
        StartRefreshTimer();
    }
}

void CMainDlg::OnModeChanged()
{
    UpdateStatusLine();
    const EEffect effect = CurrentEffect().value_or(EEffect::Normal);
    if (!m_bSyncingMode && effect != m_pDocument->Effect())
    {
        m_pUndo->Push(std::make_unique<CEffectCommand>(*m_pDocument, effect),
                      m_texts.Text(EUiText::DoTransition));
    }
}

QString CMainDlg::StepText(EUiText eKind, int nPictures) const
{
    return m_texts.Text(eKind).arg(m_pUndo->Pictures(nPictures));
}

void CMainDlg::CloseStore()
{
    // The stores the history keeps for undoing go first.
    m_pUndo->Stack().clear();
    if (const CStatus status = m_pDocument->CloseStore(); !status)
    {
        ReportError(ReasonText(status, m_texts));
    }
}

bool CMainDlg::EnsureStore()
{
    const CResult<CPictureStore*> store = m_pDocument->EnsureStore();
    if (!store)
    {
        ReportError(ReasonText(store.Status(), m_texts));
    }
    return static_cast<bool>(store);
}

void CMainDlg::ReportError(const QString& strText)
{
    Say(strText, EMessageKind::Error);
}

void CMainDlg::Say(const QString& strText, EMessageKind eKind)
{
    m_pDialogs->ShowMessage(this, windowTitle(), strText, eKind);
}

void CMainDlg::ShowStartupNotice()
{
    if (!m_strStartupNotice.isEmpty())
    {
        const QString strNotice = std::exchange(m_strStartupNotice, QString());
        m_pDialogs->ShowMessage(this, windowTitle(), strNotice, EMessageKind::Warning);
    }
}

void CMainDlg::showEvent(QShowEvent* pEvent)
{
    CSkinDialog::showEvent(pEvent);
    // Once the window is up, so that the message stands in front of it.
    if (!m_strStartupNotice.isEmpty())
    {
        QTimer::singleShot(0, this, &CMainDlg::ShowStartupNotice);
    }
}

bool CMainDlg::IsListBusy() const
{
    return IsImporting() || m_workerShared.m_bBusy.load() || m_workerThread.IsRunning();
}

void CMainDlg::OnLoadImage()
{
    if (IsListBusy())
    {
        return;
    }
    const QStringList vecPaths = m_pDialogs->GetOpenFileNames(
        this, PictureFileFilter(m_texts.Text(EUiText::FilterPictures), m_texts.Text(EUiText::FilterAllFiles)),
        QString());
    if (!vecPaths.isEmpty())
    {
        LoadPictures(vecPaths);
    }
}

void CMainDlg::LoadPictures(const QStringList& vecPaths, int nInsertAt)
{
    if (IsListBusy() || vecPaths.isEmpty() || !EnsureStore())
    {
        return;
    }
    m_pListCtrl->clearSelection();
    CPictureImport(*this).Load(vecPaths, nInsertAt);
}

CStatus CMainDlg::ListConverted(CInsertRowsCommand& command, CShowRow row, const CPicture& picture)
{
    const CResult<int> inserted = command.Add(std::move(row), picture);
    if (!inserted)
    {
        return inserted.Status();
    }
    SelectOnly(inserted.Value());
    m_pDocument->SetShownImage(inserted.Value());
    StartRefreshTimer();
    return {};
}

bool CMainDlg::RunConversion(CConversionRun run, const FnTakeConverted& fnTake)
{
    return m_pConversions->Run(std::move(run), fnTake);
}

void CMainDlg::OnDelete()
{
    if (IsListBusy() || m_pDocument->ImageCount() == 0 || SelectedRows().isEmpty())
    {
        return;
    }
    StopRefreshTimer();
    {
        const CIgnoreListSelect ignore(m_workerShared);
        const std::vector<RowId> vecIds = SelectedIds();
        // All of them or, when the store refuses, none: list and store still agree.
        m_pUndo->Push(std::make_unique<CDeleteRowsCommand>(*m_pDocument, vecIds),
                      StepText(EUiText::DoDelete, static_cast<int>(vecIds.size())));
        m_pListCtrl->clearSelection();
    }
    StopRefreshTimer();
    m_wndPreview->Clear();
    update();
}

bool CMainDlg::MoveRows(const std::vector<RowId>& vecIds, int nBefore)
{
    auto pMove = std::make_unique<CMoveRowsCommand>(
        *m_pDocument, vecIds, nBefore < m_pDocument->ImageCount() ? m_pDocument->Row(nBefore).m_nId : 0);
    if (pMove->IsNoMove())
    {
        return false;
    }
    // The selection and the preview follow the rows they are on.
    const CIgnoreListSelect ignore(m_workerShared);
    return m_pUndo->Push(std::move(pMove), StepText(EUiText::DoMove, static_cast<int>(vecIds.size())));
}

void CMainDlg::MoveSelected(int nRow)
{
    if (!IsListBusy() && !SelectedRows().isEmpty())
    {
        MoveRows(SelectedIds(), nRow);
    }
    UpdateStatusLine();
}

void CMainDlg::OnUp()
{
    const QList<int> vecRows = SelectedRows();
    if (!IsListBusy() && vecRows.size() == 1 && vecRows.constFirst() > 0)
    {
        const int nTo = vecRows.constFirst() - 1;
        if (MoveRows(SelectedIds(), nTo))
        {
            SelectOnly(nTo);
            StartRefreshTimer();
        }
    }
}

void CMainDlg::OnDown()
{
    const QList<int> vecRows = SelectedRows();
    if (!IsListBusy() && vecRows.size() == 1 && vecRows.constFirst() < m_pDocument->ImageCount() - 1)
    {
        const int nTo = vecRows.constFirst() + 1;
        if (MoveRows(SelectedIds(), nTo + 1))
        {
            SelectOnly(nTo);
            StartRefreshTimer();
        }
    }
}

void CMainDlg::OnClean()
{
    // The button stays hidden, so only a direct call ends here: it empties the preview. The list
    // and the store are left alone, so that they stay in step.
    StopRefreshTimer();
    m_wndPreview->Clear();
}

void CMainDlg::OnAbout()
{
    CAboutDlg dlg(m_texts, this);
    dlg.exec();
}

void CMainDlg::OnPanelView()
{
    if (m_pPanelView == nullptr)
    {
        m_pPanelView = new CPanelViewDlg(m_texts, *m_wndPreview, this);
        m_pPanelView->PlaceBeside(*this, screen()->availableGeometry());
    }
    m_pPanelView->show();
    m_pPanelView->raise();
    m_pPanelView->activateWindow();
}

int CMainDlg::PanelViewZoom() const
{
    return m_pPanelView != nullptr ? m_pPanelView->Zoom() : CPanelViewDlg::g_nStartZoom;
}

void CMainDlg::OnPictureOptions()
{
    CPictureOptionsCommand(*this).Edit(SelectedRows());
}

void CMainDlg::OnSplitFrames()
{
    const QList<int> vecRows = SelectedRows();
    if (!IsListBusy() && vecRows.size() == 1 && m_pDocument->Row(vecRows.constFirst()).m_nFrames > 1)
    {
        m_pListCtrl->clearSelection();
        CPictureImport(*this).SplitFrames(vecRows.constFirst());
    }
}

void CMainDlg::OnNewProject()
{
    if (IsListBusy() || !m_pProject->ConfirmDiscard())
    {
        return;
    }
    // The show before waits in the step, with its store, for an undo; like an opened project,
    // the empty one starts with nothing to save.
    m_pUndo->Push(std::make_unique<CContentsCommand>(
                      *m_pDocument, CShowDocument::EmptyContents(Panel(), m_pDocument->Effect())),
                  m_texts.Text(EUiText::DoNew));
    m_pUndo->Stack().setClean();
}

void CMainDlg::PlayShowFile(std::vector<CShowFrame> vecFrames)
{
    StopRefreshTimer();
    {
        const CIgnoreListSelect ignore(m_workerShared);
        m_pListCtrl->clearSelection();
    }
    m_showPlayer.Play(*m_wndPreview, std::move(vecFrames), m_workerTiming);
}

void CMainDlg::OnPreview()
{
    if (IsPlayingShow())
    {
        m_showPlayer.Stop();
        return;
    }
    // The import adds to the store that a worker would read.
    if (IsImporting())
    {
        return;
    }
    tramino::OnPreview(m_workerShared, m_workerUi, m_workerThread, MakeWorkerRun());
}

void CMainDlg::OnTransform()
{
    if (IsImporting())
    {
        return;
    }
    tramino::OnTransform(m_workerShared, m_workerUi, m_workerThread, MakeWorkerRun());
}

void CMainDlg::OnShowWritten(const QString& strPath, int nPictures)
{
    // The project remembers where its show went, so that a build of it needs no -o.
    const std::string strShow = CorePath(strPath);
    if (m_pDocument->Project().m_optOutput != ProjectRelativePath(strShow))
    {
        m_pUndo->Push(std::make_unique<COutputCommand>(*m_pDocument, strShow),
                      m_texts.Text(EUiText::DoOutput));
    }
    m_pStatusLine->ShowWritten(strPath, nPictures, m_pDocument->ShowPictureCount());
    AddRecentFile(strPath);
}

void CMainDlg::UpdateStatusLine()
{
    m_pStatusLine->ShowPlanned(Panel().m_nWidth, Panel().m_nHeight, m_pDocument->ShowPictureCount(),
                               CurrentEffect());
}

CWorkerRun CMainDlg::MakeWorkerRun() const
{
    const auto Text = [](int nKey) { return g_szLangText[static_cast<size_t>(nKey)].toStdString(); };
    CWorkerRun run;
    run.m_effect = CurrentEffect();
    run.m_nImageCount = m_pDocument->ImageCount();
    run.m_nPanelWidth = Panel().m_nWidth;
    run.m_nPanelHeight = Panel().m_nHeight;
    run.m_texts = {Text(16), Text(1), Text(5), Text(9)};
    run.m_timing = m_workerTiming;
    run.m_bFullSpeed = m_chkFullSpeed->isChecked();
    // No list command runs during a run, and the store goes only after the worker has ended.
    run.m_fnReadPicture = [pStore = m_pDocument->Store()](int k) { return pStore->Read(k); };
    // Every frame of a GIF comes from its file as a build of the project takes it, a few at a time.
    auto pPlan = std::make_shared<const CShowPlan>(PlanShow(m_pDocument->Project()));
    run.m_fnFrames = [pPlan](int k) -> std::unique_ptr<IPictureSource>
    {
        const CShowPlanPicture& picture = pPlan->m_vecPictures[static_cast<size_t>(k)];
        return picture.m_bAllFrames ? std::move(PlanSources({picture}).front()) : nullptr;
    };
    return run;
}

void CMainDlg::OnClose(int nResult)
{
    if (m_bClosed)
    {
        return;
    }
    if (IsImporting())
    {
        // The import ends with the group under way and closes the window then.
        m_pConversions->CloseWhenEnded();
        return;
    }
    if (!m_bQuitting && !m_pProject->ConfirmDiscard())
    {
        return;
    }
    RequestCloseAndWait(m_workerShared, m_workerThread);
    StopRefreshTimer();
    m_bClosed = true;
    CloseStore();
    QDialog::done(nResult);
    // Under wine on a busy machine done() now and then leaves the window up and exec() running;
    // hiding it again ends exec() there. Elsewhere the window is hidden by now.
    if (isVisible())
        hide();
}

void CMainDlg::Quit()
{
    m_bQuitting = true;
    OnClose(QDialog::Rejected);
}

void CMainDlg::accept()
{
    OnClose(QDialog::Accepted);
}

void CMainDlg::reject()
{
    OnClose(QDialog::Rejected);
}

void CMainDlg::keyPressEvent(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter)
    {
        if (auto* pButton = qobject_cast<QPushButton*>(focusWidget());
            pButton != nullptr && pButton->isEnabled())
        {
            pButton->click();
        }
        else
        {
            accept();
        }
        return;
    }
    CSkinDialog::keyPressEvent(pEvent);
}

void CMainDlg::contextMenuEvent(QContextMenuEvent* pEvent)
{
    QMenu menu(this);
    menu.addAction(m_texts.Text(EUiText::MenuAbout), this, &CMainDlg::OnAbout);
    menu.addSeparator();
    menu.addAction(m_texts.Text(EUiText::MenuLoadImage), QKeySequence(Qt::CTRL | Qt::Key_O), this,
                   &CMainDlg::OnLoadImage)
        ->setEnabled(!IsListBusy());
    m_pUndo->AddToMenu(menu);
    menu.addSeparator();
    menu.addAction(m_texts.Text(EUiText::MenuNewProject), QKeySequence(Qt::CTRL | Qt::Key_N), this,
                   &CMainDlg::OnNewProject)
        ->setEnabled(!IsListBusy());
    m_pProject->AddToMenu(menu);
    menu.addAction(m_texts.Text(EUiText::MenuOpenShow), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), this,
                   [this] { m_pFiles->OnOpenShow(); })
        ->setEnabled(!IsListBusy());
    AddRecentMenu(menu, m_settings, m_texts, !IsListBusy(),
                  [this](const QString& strPath) { m_pFiles->OpenFile(strPath); });
    menu.addSeparator();
    QAction* pFast = menu.addAction(m_texts.Text(EUiText::MenuFastImport));
    pFast->setCheckable(true);
    pFast->setChecked(IsFastImport());
    connect(pFast, &QAction::toggled, this, [this](bool bOn) { m_pDocument->SetFastImport(bOn); });
    menu.addSeparator();
    m_pPanelSwitch->AddToMenu(menu);
    menu.addAction(m_texts.Text(EUiText::MenuPanelView), QKeySequence(Qt::Key_F3), this,
                   &CMainDlg::OnPanelView);
    menu.addAction(m_texts.Text(EUiText::MenuPictureOptions), QKeySequence(Qt::ALT | Qt::Key_Return), this,
                   &CMainDlg::OnPictureOptions)
        ->setEnabled(!IsListBusy() && !SelectedRows().isEmpty());
    const QList<int> vecSelected = SelectedRows();
    menu.addAction(m_texts.Text(EUiText::MenuSplitFrames), this, &CMainDlg::OnSplitFrames)
        ->setEnabled(!IsListBusy() && vecSelected.size() == 1 &&
                     m_pDocument->Row(vecSelected.constFirst()).m_nFrames > 1);
    menu.exec(pEvent->globalPos());
}

void CMainDlg::OnMenuKey()
{
    // Sent as the Menu key sends it: to the control with the focus, on to the window.
    QWidget* pTarget = focusWidget() != nullptr ? focusWidget() : this;
    const QPoint pt = pTarget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, pt, pTarget->mapToGlobal(pt));
    QCoreApplication::sendEvent(pTarget, &event);
}

bool CMainDlg::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched != m_pListCtrl || pEvent->type() != QEvent::KeyPress)
    {
        return CSkinDialog::eventFilter(pWatched, pEvent);
    }
    const auto* pKey = static_cast<QKeyEvent*>(pEvent);
    if (pKey->modifiers() != Qt::NoModifier)
    {
        return false;
    }
    const int nRows = m_pDocument->ImageCount();
    switch (pKey->key())
    {
    case Qt::Key_Delete:
        OnDelete();
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (nRows > 0)
        {
            SelectOnly(pKey->key() == Qt::Key_Home ? 0 : nRows - 1);
        }
        return true;
    default:
        return false;
    }
}

} // namespace tramino
