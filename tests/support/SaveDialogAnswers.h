#pragma once

#include "chart/ChartlibChart.h"

#include <QString>

#include <functional>
#include <vector>

// A save dialog answered by a test: each request is kept in `requests`, and the names in `chosen` are the
// answers in turn; none left means Cancel. Both vectors must outlive the dialog.
inline std::function<QString(QWidget *, const TSaveDialogRequest &)>
AnswerSaveDialogs(std::vector<TSaveDialogRequest> &requests, std::vector<QString> &chosen) {
    return [&requests, &chosen](QWidget *, const TSaveDialogRequest &request) {
        requests.push_back(request);
        if (chosen.empty())
            return QString();
        const QString name = chosen.front();
        chosen.erase(chosen.begin());
        return name;
    };
}
