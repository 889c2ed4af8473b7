#pragma once

#include <QString>
#include <QUrl>

class QWidget;

// Every modal question, message, file dialog and external launch of the program goes through
// this one service, so that tests can answer them without a modal box ever blocking.
class DialogService
{
public:
    enum class Icon
    {
        None,
        Exclamation,
        Warning,
        Critical,
        Information
    };
    enum class Buttons
    {
        Ok,
        YesNo,
        YesNoCancel
    };
    enum class Answer
    {
        Ok,
        Yes,
        No,
        Cancel
    };

    virtual ~DialogService() = default;

    // A message box. The text is always shown as plain text.
    virtual Answer message(QWidget *parent, const QString &text, Buttons buttons, Icon icon,
                           const QString &title = QString());
    // Open / save dialogs: return the chosen full path, or "" when cancelled.
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &folder,
                                 const QString &filter);
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &folder,
                                 const QString &filter);
    // Opens a URL with the system's default handler (help pages, text editor).
    virtual bool openUrl(const QUrl &url);

    // The service in use; tests install their own with setInstance (nullptr restores the
    // default). The default is the one given to setDefault (the windowed program's real boxes),
    // else this class itself, which has no widgets: it writes messages to the error stream,
    // declines questions and cancels file dialogs.
    static DialogService &instance();
    static void setInstance(DialogService *service);
    static void setDefault(DialogService *service);

    // Shorthands through instance().
    static Answer ask(QWidget *parent, const QString &text, Buttons buttons, Icon icon,
                      const QString &title = QString());
    static void tell(QWidget *parent, const QString &text, Icon icon,
                     const QString &title = QString());

    // The shared report of unexpected errors: heading, CR LF, CR LF, "source (number)
    // description"; title "Error" when blank; OK button and exclamation icon.
    static void showError(QWidget *parent, const QString &heading, const QString &title,
                          const QString &source, int number, const QString &description);

    // Converts a filter written as "Display text|*.ext" into Qt's "Display text (*.ext)".
    static QString qtFilter(const QString &filter);
};
