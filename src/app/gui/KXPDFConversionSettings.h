#pragma once
// The base of the per-format settings sheets (DOCX, spreadsheet, page images), and the output-format
// lookups the window shares. A sheet shows the selected item's options; every change of a control
// is reported to the delegate at once (which writes it into the item), and Done stores the sheet's
// values as the defaults of new items before it reports.

#include <QWidget>
#include <map>
#include <memory>
#include <string>

#include "app/jobs/KXSourceFileItem.h"

class QPushButton;
class KXPDFConversionSettings;

class KXPDFConversionSettingsDelegate {
public:
    virtual ~KXPDFConversionSettingsDelegate() = default;
    virtual void KXPDFConversionSettingsValueUpdated(KXPDFConversionSettings&) {}
    virtual void KXPDFConversionSettingsButtonDoneAction(KXPDFConversionSettings&) {}
};

class KXPDFConversionSettings : public QWidget {
    Q_OBJECT

public:
    explicit KXPDFConversionSettings(QWidget* parent = nullptr);
    ~KXPDFConversionSettings() override;

    static std::map<std::string, std::string> FormatTypeDictionary();
    static std::map<std::string, std::string> FormatIconDictionary();
    static bool isOuputFormatImage(const std::string& displayName);

    KXPDFConversionSettingsDelegate* delegate() const { return delegate_; }
    void setDelegate(KXPDFConversionSettingsDelegate* delegate) { delegate_ = delegate; }

    // Shows the item's options in the controls.
    virtual void fillWithValues(const std::shared_ptr<KXSourceFileItem>& item);
    // A control changed.
    virtual void updateValueAction();
    // Stores the values, synchronises the store and reports Done.
    virtual void buttonDoneAction();

    QPushButton* btn_done() const { return btn_done_; }

protected:
    // The sheet's title and its Done button around the controls the subclass lays out.
    QWidget* makeFrame(const QString& title);
    // Stores the sheet's values (each subclass its own keys).
    virtual void storeValues() {}

private:
    KXPDFConversionSettingsDelegate* delegate_ = nullptr;
    QPushButton* btn_done_ = nullptr;
};
