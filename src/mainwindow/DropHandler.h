#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QMimeData;
class QWidget;

// Files dropped onto the main window. Only local files are accepted; of several, the first is
// taken. A label document (by its ".gpc" name or by its first bytes) is opened, anything else
// goes to the picture loader as the background, whose refusal then tells the user.
class DropHandler : public QObject {
    Q_OBJECT
public:
    enum class Kind { Document, Picture };

    struct Actions {
        std::function<void(const QString&)> openDocument;
        std::function<void(const QString&)> openBackground;
    };

    // Watches the window's drag and drop events.
    DropHandler(QWidget& window, Actions actions);

    static QString firstLocalFile(const QMimeData* data);
    static Kind kindOf(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Actions actions_;
};
