#pragma once

#include "HexEdit.h"
#include "ReaderHandles.h"
#include "ReaderLibraryCalls.h"
#include "TagInventory.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QTreeWidget>
#include <memory>

// The main window's tag list controls, and an inventory over them.
struct Station {
    QTreeWidget list;
    QListWidget seen;
    QLineEdit count;
    QPushButton run{"&Run"};
    QAction comPort;
    QAction searchReader;
    std::unique_ptr<TagInventory> inventory;

    // With a library and handles, a failed port is brought back as in the main window.
    explicit Station(std::int32_t reader, TZQKRT_ReaderCalls calls = {},
                     const ReaderLibraryCalls* library = nullptr,
                     ReaderHandles* handles = nullptr) {
        list.setHeaderLabels({"TagType", "SerialNumber"});
        inventory = std::make_unique<TagInventory>(
            TagListControls{&list, &seen, &count, &run, &comPort, &searchReader});
        if (library != nullptr && handles != nullptr)
            inventory->bringBackPort(*library, *handles);
        inventory->startShow(reader, calls);
        inventory->Btn_RunClick();
    }
    QStringList rows() const {
        QStringList texts;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            texts << list.topLevelItem(i)->text(0) + ' ' + list.topLevelItem(i)->text(1);
        return texts;
    }
    QStringList seenSerials() const {
        QStringList texts;
        for (int i = 0; i < seen.count(); ++i)
            texts << seen.item(i)->text();
        return texts;
    }
    // The layout the data view takes for a click on row, as lines x 100 + bytes per line.
    int clickedLayout(int row, THexEdit& view) {
        list.setCurrentItem(list.topLevelItem(row));
        inventory->ListView_TagListClick(&view);
        int lines = 0;
        int bytes = 0;
        view.GetLayout(lines, bytes);
        return lines * 100 + bytes;
    }
};
