#include "DocumentUndo.h"
#include "ReasonText.h"

#include "document/DocumentCommands.h"

#include <QAction>
#include <QMenu>
#include <QUndoCommand>
#include <QWidget>

namespace tramino
{
namespace
{

constexpr int g_nUndoLimit = 100;

// One step of the stack: the document's command, its result kept for the history to look at.
class CUndoStep final : public QUndoCommand
{
public:
    CUndoStep(std::unique_ptr<CDocumentCommand> pCommand, const QString& strText, CStatus& failure)
        : QUndoCommand(strText), m_pCommand(std::move(pCommand)), m_failure(failure)
    {
    }

    // The stack redoes a step as it is pushed; it was applied already then.
    void redo() override { m_failure = std::exchange(m_bApplied, false) ? CStatus() : m_pCommand->Redo(); }
    void undo() override { m_failure = m_pCommand->Undo(); }

private:
    std::unique_ptr<CDocumentCommand> m_pCommand;
    CStatus& m_failure;
    bool m_bApplied = true;
};

} // namespace

CDocumentUndo::CDocumentUndo(QWidget& window, const CWindowTexts& texts, CHooks hooks)
    : QObject(&window), m_texts(texts), m_hooks(std::move(hooks))
{
    m_stack.setUndoLimit(g_nUndoLimit);
    m_pUndo = new QAction(&window);
    m_pUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_pRedo = new QAction(&window);
    m_pRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    window.addActions({m_pUndo, m_pRedo});
    connect(m_pUndo, &QAction::triggered, this, &CDocumentUndo::Undo);
    connect(m_pRedo, &QAction::triggered, this, &CDocumentUndo::Redo);
    connect(&m_stack, &QUndoStack::indexChanged, this, &CDocumentUndo::UpdateActions);
    UpdateActions();
}

bool CDocumentUndo::Push(std::unique_ptr<CDocumentCommand> pCommand, const QString& strText, bool bApplied)
{
    if (!bApplied)
    {
        if (const CStatus status = pCommand->Redo(); !status)
        {
            m_hooks.m_fnReport(ReasonText(status, m_texts));
            return false;
        }
    }
    m_stack.push(new CUndoStep(std::move(pCommand), strText, m_failure));
    return true;
}

void CDocumentUndo::Undo()
{
    if (!m_hooks.m_fnBusy() && m_stack.canUndo())
    {
        m_stack.undo();
        Settle();
    }
}

void CDocumentUndo::Redo()
{
    if (!m_hooks.m_fnBusy() && m_stack.canRedo())
    {
        m_stack.redo();
        Settle();
    }
}

void CDocumentUndo::Settle()
{
    if (const CStatus failure = std::exchange(m_failure, CStatus()); !failure)
    {
        m_stack.clear();
        m_hooks.m_fnReport(ReasonText(failure, m_texts));
    }
}

void CDocumentUndo::UpdateActions()
{
    m_pUndo->setText(m_texts.Text(EUiText::EditUndo).arg(m_stack.undoText()).trimmed());
    m_pRedo->setText(m_texts.Text(EUiText::EditRedo).arg(m_stack.redoText()).trimmed());
}

void CDocumentUndo::AddToMenu(QMenu& menu)
{
    // Entries of their own, greyed while they would do nothing; the keys stay with the window.
    QMenu* pEdit = menu.addMenu(m_texts.Text(EUiText::MenuEdit));
    const bool bBusy = m_hooks.m_fnBusy();
    pEdit->addAction(m_pUndo->text(), m_pUndo->shortcut(), this, &CDocumentUndo::Undo)
        ->setEnabled(!bBusy && m_stack.canUndo());
    pEdit->addAction(m_pRedo->text(), m_pRedo->shortcut(), this, &CDocumentUndo::Redo)
        ->setEnabled(!bBusy && m_stack.canRedo());
}

QString CDocumentUndo::Pictures(int nCount) const
{
    return nCount == 1 ? m_texts.Text(EUiText::PictureOne) : m_texts.Text(EUiText::PicturesMany).arg(nCount);
}

} // namespace tramino
