#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Help > About: the program's title, version, what it does and the encoders it supports.
// Filled once; OK hides it for the next time.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);

    // The Orvane encoder models the program knows, one per line.
    static QStringList supportedHardware();

public slots:
    void confirm();

private:
    QLabel *imgIcon;
    QLabel *lblTitle;
    QLabel *lblVersion;
    QLabel *lblDescription;
    QLabel *lblSupport;
    QLabel *lblSupportedHardware;
    QPushButton *cmdOk;
};
