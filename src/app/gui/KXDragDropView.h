#pragma once
// A view that takes dropped files but no folders: while files are dragged over it, it shows a focus
// frame; a drag that carries a folder is refused. Dropped files go to the delegate as paths.

#include <QStringList>
#include <QWidget>

class KXDragDropView;

class KXDragDropViewDelegate {
public:
    virtual ~KXDragDropViewDelegate() = default;
    virtual void KXDragDropViewOpenFiles(KXDragDropView&, const QStringList& /*paths*/) {}
};

class KXDragDropView : public QWidget {
    Q_OBJECT

public:
    explicit KXDragDropView(QWidget* parent = nullptr);

    bool isHighlighted() const { return isHighlighted_; }
    void setHighlighted(bool highlighted);
    KXDragDropViewDelegate* delegate() const { return delegate_; }
    void setDelegate(KXDragDropViewDelegate* delegate) { delegate_ = delegate; }

    // Whether a drag carrying these local paths is taken: files only, at least one.
    static bool acceptsPaths(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool isHighlighted_ = false;
    KXDragDropViewDelegate* delegate_ = nullptr;
};
