// Extended data of one object: per registered application, its groups in order, the
// application's 1001 group first.
#pragma once

#include <string>
#include <vector>

#include "host/resbuf.h"

struct QxDbXData {
    struct App {
        std::u16string name;         // as first given; matched ignoring letter case
        qxresbuf* chain = nullptr;   // owned; starts with the 1001 group
    };
    std::vector<App> apps;

    QxDbXData() = default;
    QxDbXData(const QxDbXData& other);
    QxDbXData& operator=(const QxDbXData&) = delete;
    ~QxDbXData();

    App* find(std::u16string_view name);
    const App* find(std::u16string_view name) const;
};
