#include "app/gui/KXAboutWindowController.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/gui/KXAppearance.h"
#include "app/gui/KXNamedImages.h"
#include "app/jobs/KXLocalized.h"

namespace {

KXAboutWindowController*& sharedWindow() {
    static KXAboutWindowController* window = nullptr;
    return window;
}

}  // namespace

KXAboutWindowController& KXAboutWindowController::sharedInstance() {
    if (!sharedWindow()) sharedWindow() = new KXAboutWindowController();
    return *sharedWindow();
}

void KXAboutWindowController::releaseSharedInstance() {
    delete sharedWindow();
    sharedWindow() = nullptr;
}

KXAboutWindowController::KXAboutWindowController(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("KXAboutWindowController");
    setWindowTitle(QString::fromStdString(kx_sharedLocalized("About Docuvane")));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 24, 32, 24);
    layout->setSpacing(8);
    auto* mark = new QLabel(this);
    mark->setPixmap(KXNamedImages::image("docuvane", QSize(96, 96), devicePixelRatioF()));
    mark->setAlignment(Qt::AlignCenter);
    layout->addWidget(mark);
    auto* name = new QLabel("Docuvane", this);
    QFont font = name->font();
    font.setPixelSize(20);
    font.setWeight(QFont::DemiBold);
    name->setFont(font);
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);
    auto* version = new QLabel(QString::fromStdString(kx_sharedLocalized("Version")) + " " + KX_VERSION, this);
    version->setObjectName("tf_version");
    version->setAlignment(Qt::AlignCenter);
    layout->addWidget(version);
    auto* text = new QLabel(QString::fromStdString(kx_sharedLocalized(
                                "Converts PDF documents into Word, Excel, CSV, PowerPoint, HTML, RTF, plain text and "
                                "page images.\nLicensed under the GNU Affero General Public License 3.0 or later.")),
                            this);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignCenter);
    KXAppearance::makeSecondary(text);
    layout->addWidget(text);
    setFixedWidth(380);
}

void KXAboutWindowController::showWindow() {
    show();
    raise();
    activateWindow();
}
