// List widgets: QListWidget for list boxes and QComboBox for combo boxes.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>

#include "vcl/ListCtrls.h"
#include "vcl/NativeHandles.h"
#include "vcl/qt/QtHandle.h"
#include "vcl/qt/QtText.h"

namespace vcl {

namespace {

using qt::ColorUse;
using qt::ControlLink;
using qt::InputBridge;
using qt::QtHandle;
using qt::SyncScope;
using qt::toQString;

template <class W>
W* makeWidget(TWinControl& control) {
    auto* w = new W(qt::parentContainer(control));
    return w;
}

QStringList allItems(const classes::TStrings& items) {
    QStringList list;
    list.reserve(items.count());
    for (int i = 0; i < items.count(); ++i) list.append(toQString(items.get(i)));
    return list;
}

class ListBoxHandle final : public QtHandle, public ItemsHandle {
public:
    explicit ListBoxHandle(TCustomListBox& list)
        : QtHandle(list, makeWidget<QListWidget>(list), Input::Bridged), m_list(list) {
        m_widget = static_cast<QListWidget*>(widget());
        m_widget->setUniformItemSizes(true);
        m_widget->viewport()->installEventFilter(link());
        auto* link = this->link();
        QListWidget* w = m_widget;
        QObject::connect(m_widget, &QListWidget::itemSelectionChanged, link, [link, w] {
            if (link->syncing) return;
            std::vector<bool> selection(static_cast<size_t>(w->count()));
            for (int i = 0; i < w->count(); ++i) selection[static_cast<size_t>(i)] = w->item(i)->isSelected();
            const int current = w->currentRow();
            link->with([&](TWinControl& c) {
                static_cast<TCustomListBox&>(c).handleSelectionChanged(current, selection);
            });
        });
    }

    void itemInserted(int index) override {
        SyncScope scope(*link());
        m_widget->insertItem(index, toQString(m_list.items()->get(index)));
    }
    void itemRemoved(int index) override {
        SyncScope scope(*link());
        delete m_widget->takeItem(index);
    }
    void itemChanged(int index) override {
        if (QListWidgetItem* item = m_widget->item(index))
            item->setText(toQString(m_list.items()->get(index)));
    }
    void itemsReset() override {
        SyncScope scope(*link());
        m_widget->clear();
        m_widget->addItems(allItems(*m_list.items()));
    }
    int topIndex() const override {
        const QModelIndex i = m_widget->indexAt(QPoint(1, 1));
        return i.isValid() ? i.row() : 0;
    }
    void setTopIndex(int index) override {
        if (QListWidgetItem* item = m_widget->item(index))
            m_widget->scrollToItem(item, QAbstractItemView::PositionAtTop);
    }
    int itemAt(TPoint p) const override {
        const QPoint inView = m_widget->viewport()->mapFrom(m_widget, QPoint(p.x, p.y));
        const QModelIndex i = m_widget->indexAt(inView);
        return i.isValid() ? i.row() : -1;
    }

    void sync() override {
        SyncScope scope(*link());
        applyLook(ColorUse::Field);
        m_widget->setFrameShape(m_list.borderStyle() == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
        m_widget->setSelectionMode(!m_list.multiSelect()     ? QAbstractItemView::SingleSelection
                                   : m_list.extendedSelect() ? QAbstractItemView::ExtendedSelection
                                                             : QAbstractItemView::MultiSelection);
        const int columns = m_list.columns();
        if (columns > 1) {
            // Items flow down and on into the next column, as a multi-column list does.
            m_widget->setFlow(QListView::TopToBottom);
            m_widget->setWrapping(true);
            m_widget->setGridSize(
                QSize(std::max(1, m_widget->viewport()->width() / columns), m_list.itemHeight()));
        } else {
            m_widget->setFlow(QListView::TopToBottom);
            m_widget->setWrapping(false);
            m_widget->setGridSize(QSize());
        }
        if (m_widget->count() != m_list.items()->count()) {
            m_widget->clear();
            m_widget->addItems(allItems(*m_list.items()));
        }
        for (int i = 0; i < m_widget->count(); ++i) {
            const bool wanted = m_list.selected(i);
            if (m_widget->item(i)->isSelected() != wanted) m_widget->item(i)->setSelected(wanted);
        }
        const int index = m_list.itemIndex();
        if (m_widget->currentRow() != index)
            m_widget->setCurrentRow(index, m_list.multiSelect() ? QItemSelectionModel::NoUpdate
                                                                : QItemSelectionModel::ClearAndSelect);
    }

private:
    TCustomListBox& m_list;
    QListWidget* m_widget;
};

// A combo box that tells when its list opens and closes.
class ComboBox final : public QComboBox {
public:
    explicit ComboBox(QWidget* parent) : QComboBox(parent) {}
    ControlLink* link = nullptr;

    void showPopup() override {
        QComboBox::showPopup();
        report(true);
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        report(false);
    }

private:
    void report(bool open) {
        if (link && !link->syncing)
            link->with([open](TWinControl& c) { static_cast<TCustomComboBox&>(c).handleDropDown(open); });
    }
};

class ComboBoxHandle final : public QtHandle, public ItemsHandle, public TextHandle {
public:
    explicit ComboBoxHandle(TCustomComboBox& combo)
        : QtHandle(combo, makeWidget<ComboBox>(combo), Input::Bridged), m_combo(combo) {
        m_widget = static_cast<ComboBox*>(widget());
        m_widget->link = link();
        m_widget->setInsertPolicy(QComboBox::NoInsert);
        auto* link = this->link();
        QObject::connect(m_widget, qOverload<int>(&QComboBox::activated), link, [link](int index) {
            if (link->syncing) return;
            link->with([index](TWinControl& c) { static_cast<TCustomComboBox&>(c).handleItemChosen(index); });
        });
    }

    void itemInserted(int index) override {
        SyncScope scope(*link());
        m_widget->insertItem(index, toQString(m_combo.items()->get(index)));
    }
    void itemRemoved(int index) override {
        SyncScope scope(*link());
        m_widget->removeItem(index);
    }
    void itemChanged(int index) override {
        SyncScope scope(*link());
        m_widget->setItemText(index, toQString(m_combo.items()->get(index)));
    }
    void itemsReset() override {
        SyncScope scope(*link());
        m_widget->clear();
        m_widget->addItems(allItems(*m_combo.items()));
    }
    int topIndex() const override { return 0; }
    void setTopIndex(int) override {}
    int itemAt(TPoint) const override { return -1; }

    int selStart() const override {
        QLineEdit* e = m_widget->lineEdit();
        if (!e) return 0;
        return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
    }
    int selLength() const override {
        QLineEdit* e = m_widget->lineEdit();
        return e ? static_cast<int>(e->selectedText().size()) : 0;
    }
    void setSelection(int start, int length) override {
        if (QLineEdit* e = m_widget->lineEdit()) e->setSelection(start, length);
    }
    void replaceSelection(const std::string& text) override {
        if (QLineEdit* e = m_widget->lineEdit()) e->insert(toQString(text));
    }
    void clipboard(ClipboardAction action) override {
        QLineEdit* e = m_widget->lineEdit();
        if (!e) return;
        switch (action) {
        case ClipboardAction::Cut: e->cut(); break;
        case ClipboardAction::Copy: e->copy(); break;
        case ClipboardAction::Paste: e->paste(); break;
        case ClipboardAction::Undo: e->undo(); break;
        case ClipboardAction::ClearUndo: break;
        }
    }
    bool canUndo() const override { return m_widget->lineEdit() && m_widget->lineEdit()->isUndoAvailable(); }

    void sync() override {
        SyncScope scope(*link());
        applyLook(ColorUse::Field);
        const bool editable = !m_combo.listOnly();
        if (m_widget->isEditable() != editable) {
            m_widget->setEditable(editable);
            if (QLineEdit* e = m_widget->lineEdit()) {
                watchLineEdit(e);
                static_cast<InputBridge*>(link())->watch(e);
            }
        }
        m_widget->setMaxVisibleItems(m_combo.dropDownCount());
        if (m_widget->count() != m_combo.items()->count()) {
            m_widget->clear();
            m_widget->addItems(allItems(*m_combo.items()));
        }
        if (m_widget->currentIndex() != m_combo.itemIndex()) m_widget->setCurrentIndex(m_combo.itemIndex());
        if (QLineEdit* e = m_widget->lineEdit()) {
            // A new limit sets the text anew, forgetting the undo history and the selection.
            const int maxLength = m_combo.maxLength() > 0 ? m_combo.maxLength() : 0x7FFFFFFE;
            if (e->maxLength() != maxLength) e->setMaxLength(maxLength);
            const QString text = toQString(m_combo.text());
            if (e->text() != text) e->setText(text);
        }
        if (m_combo.droppedDown() != m_widget->view()->isVisible()) {
            if (m_combo.droppedDown())
                m_widget->showPopup();
            else
                m_widget->hidePopup();
        }
    }

private:
    void watchLineEdit(QLineEdit* e) {
        auto* link = this->link();
        QObject::connect(e, &QLineEdit::textEdited, link, [link](const QString& text) {
            if (link->syncing) return;
            link->with([&](TWinControl& c) {
                static_cast<TCustomComboBox&>(c).handleTextEdited(qt::fromQString(text));
            });
        });
    }

    TCustomComboBox& m_combo;
    ComboBox* m_widget;
};

}  // namespace

std::unique_ptr<WindowHandle> createListBoxHandle(TCustomListBox& list) {
    return std::make_unique<ListBoxHandle>(list);
}

std::unique_ptr<WindowHandle> createComboBoxHandle(TCustomComboBox& combo) {
    return std::make_unique<ComboBoxHandle>(combo);
}

}  // namespace vcl
