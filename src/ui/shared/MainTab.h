#pragma once

#include <QString>

class QLabel;

// What the main window and its live refresh ask of a tab, and of the window holding the tabs.
namespace worktide {

class MainTab {
public:
    virtual ~MainTab() = default;

    // Reads the tab's rows anew for its filters (a refresh the user asked for).
    virtual void Load() = 0;
    // The condition and the statement of the rows the tab shows; false while it shows none yet.
    // A check compares the rows of that statement with those drawn.
    virtual bool ShownQuery(QString& where, QString& sql) const = 0;
    // Rebuilds for a check, keeping what the user looks at; newDay: the date has changed since
    // the tab was drawn.
    virtual void Recheck(bool newDay) = 0;
};

class TabHost {
public:
    virtual ~TabHost() = default;

    // The index of the tab shown (-1 for none) and the tab of an index (nullptr for none).
    virtual int ShownTabIndex() const = 0;
    virtual MainTab* TabAt(int index) = 0;
    // Where the freshness of the data is told.
    virtual QLabel* StatusLabel() const = 0;
};

} // namespace worktide
