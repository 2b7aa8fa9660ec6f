#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace varento {

// What a dialog control shows; the view copies it onto its widget.
struct ControlState {
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    int currentIndex = -1; // -1: no selection
    QStringList items;
    QString text;
};

// A dialog without widgets: the state of every control id and the title. Views
// bind one widget per id (object name = the id) and follow controlChanged.
class DialogModel : public QObject {
    Q_OBJECT

public:
    explicit DialogModel(QObject* parent = nullptr) : QObject(parent) {}

    bool has(int id) const { return controls_.count(id) != 0; }
    // Unknown ids read as a hidden, disabled control.
    const ControlState& control(int id) const;
    std::vector<int> controlIds() const;
    QString title() const { return title_; }

    bool isEnabled(int id) const { return control(id).enabled; }
    bool isVisible(int id) const { return control(id).visible; }
    bool isChecked(int id) const { return control(id).checked; }
    int currentIndex(int id) const { return control(id).currentIndex; }
    QString currentText(int id) const;

signals:
    void controlChanged(int id);
    void titleChanged(const QString& title);

protected:
    void addControl(int id, ControlState initial = {});
    void setEnabled(int id, bool enabled);
    void setVisible(int id, bool visible);
    void setChecked(int id, bool checked);
    // Checks one radio of a group and clears the others.
    void checkRadio(int id, std::initializer_list<int> group);
    void setItems(int id, const QStringList& items);
    void setCurrentIndex(int id, int index);
    void setText(int id, const QString& text);
    void setTitle(const QString& title);

    // Only controls the user can reach take clicks and selections.
    bool canUse(int id) const { return has(id) && control(id).enabled && control(id).visible; }

private:
    template <typename F> void change(int id, F&& edit);

    std::map<int, ControlState> controls_;
    QString title_;
};

} // namespace varento
