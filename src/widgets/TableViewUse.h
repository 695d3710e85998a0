#pragma once
// The table view's in-use mark on a table for one scope: set while the view
// reads or writes the points, so that a resize waits for the view to finish.
// A scope inside another keeps the mark the outer one set.

#include "core/BWTable.h"

namespace VSTGUI {

class TableViewUse {
public:
    explicit TableViewUse(BWTable* table)
        : table(table), outer(table && table->hasFlag(BWTable::kInUseByView)) {
        if (table && !outer) table->setViewInUse(true);
    }
    ~TableViewUse() {
        if (table && !outer) table->setViewInUse(false);
    }
    TableViewUse(const TableViewUse&) = delete;
    TableViewUse& operator=(const TableViewUse&) = delete;

private:
    BWTable* table;
    bool outer;
};

}  // namespace VSTGUI
