#pragma once
// A row of joined buttons of which exactly one is selected: the segmented control of the
// resolution and quality choices.

#include <QStringList>
#include <QWidget>

class QButtonGroup;

class KXSegmentedControl : public QWidget {
    Q_OBJECT

public:
    explicit KXSegmentedControl(const QStringList& labels, QWidget* parent = nullptr);

    int segmentCount() const;
    // -1 when none is selected.
    int selectedSegment() const;
    // Selects the segment (no signal); an index outside the segments selects nothing.
    void setSelectedSegment(int segment);
    QString labelForSegment(int segment) const;

signals:
    // The user chose a segment.
    void segmentChosen(int segment);

private:
    QButtonGroup* group_ = nullptr;
};
