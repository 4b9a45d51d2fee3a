#include "app/gui/KXSegmentedControl.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QToolButton>

KXSegmentedControl::KXSegmentedControl(const QStringList& labels, QWidget* parent) : QWidget(parent) {
    group_ = new QButtonGroup(this);
    group_->setExclusive(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < labels.size(); ++i) {
        auto* button = new QToolButton(this);
        button->setText(labels[i]);
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setMinimumWidth(30);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setObjectName(QString("segment%1").arg(i));
        group_->addButton(button, i);
        layout->addWidget(button);
    }
    connect(group_, &QButtonGroup::idClicked, this, &KXSegmentedControl::segmentChosen);
    // The chosen segment stands out in the selection colour.
    setStyleSheet("QToolButton { border: 1px solid palette(mid); border-left-width: 0px; padding: 3px 6px;"
                  " background: palette(base); }"
                  "QToolButton#segment0 { border-left-width: 1px; }"
                  "QToolButton:checked { background: palette(highlight); color: palette(highlighted-text); }"
                  "QToolButton:disabled { color: palette(mid); }");
}

int KXSegmentedControl::segmentCount() const { return static_cast<int>(group_->buttons().size()); }

int KXSegmentedControl::selectedSegment() const { return group_->checkedId(); }

void KXSegmentedControl::setSelectedSegment(int segment) {
    if (QAbstractButton* button = group_->button(segment)) {
        button->setChecked(true);
        return;
    }
    if (QAbstractButton* checked = group_->checkedButton()) {
        group_->setExclusive(false);
        checked->setChecked(false);
        group_->setExclusive(true);
    }
}

QString KXSegmentedControl::labelForSegment(int segment) const {
    QAbstractButton* button = group_->button(segment);
    return button ? button->text() : QString();
}
