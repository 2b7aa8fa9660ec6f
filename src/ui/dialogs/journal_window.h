#pragma once

#include "ui/models/journal_model.h"

#include <QWidget>

class QComboBox;

namespace varento {

class ReportList;
class Session;

// "Journal": the session's event journal, from the file as it stands when the
// window opens, then live; newest last, for all units or one.
class JournalWindow : public QWidget {
    Q_OBJECT

public:
    explicit JournalWindow(Session& session, QWidget* parent = nullptr);

    JournalModel& model() { return model_; }
    QComboBox* unitFilter() const { return unitFilter_; }
    ReportList* list() const { return list_; }

private:
    void fillUnitFilter();

    JournalModel model_;
    QComboBox* unitFilter_;
    ReportList* list_;
    // Newest last: the list follows new entries unless the user has scrolled back.
    bool followNewest_ = true;
};

} // namespace varento
