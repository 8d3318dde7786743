#pragma once

#include "UiTexts.h"

#include "common/Status.h"

#include <QObject>
#include <QUndoStack>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace tramino
{

class CDocumentCommand;

// The window's undo history of the show document: Edit > Undo (Ctrl+Z) and Redo (Ctrl+Y,
// Ctrl+Shift+Z), whose texts say what they would take back or make again. At most 100 steps are
// kept; the pictures they need wait in the store's folder, not in memory. A step that cannot be
// taken back or made again leaves the document as it was, is said, and the history is cleared,
// since the steps around it no longer fit.
class CDocumentUndo : public QObject
{
    Q_OBJECT

public:
    struct CHooks
    {
        std::function<bool()> m_fnBusy;                         // no undo or redo now
        std::function<void(const QString& strText)> m_fnReport; // a failure, said
    };
    // The actions sit on pWindow, so that their keys work wherever the focus is.
    CDocumentUndo(QWidget& window, const CWindowTexts& texts, CHooks hooks);

    // Applies the command (unless bApplied says it is already) and keeps it as the next step to
    // undo, under strText ("delete 3 pictures"). False, with the failure said, when it failed.
    bool Push(std::unique_ptr<CDocumentCommand> pCommand, const QString& strText, bool bApplied = false);
    void Undo();
    void Redo();
    // The Edit submenu with both.
    void AddToMenu(QMenu& menu);
    // "1 picture", "3 pictures".
    QString Pictures(int nCount) const;
    QUndoStack& Stack() { return m_stack; }
    // The window's Undo and Redo, with their keys and the texts of the menu's entries.
    const QAction& UndoAction() const { return *m_pUndo; }
    const QAction& RedoAction() const { return *m_pRedo; }

private:
    void UpdateActions();
    // After a step: a failure is said and ends the history.
    void Settle();

    const CWindowTexts& m_texts;
    CHooks m_hooks;
    QUndoStack m_stack;
    CStatus m_failure; // of the last step the stack carried out
    QAction* m_pUndo = nullptr;
    QAction* m_pRedo = nullptr;
};

} // namespace tramino
