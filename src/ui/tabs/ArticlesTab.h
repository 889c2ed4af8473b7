#pragma once

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// The "Articles" page: the encoder's article list, loading an article from a text file onto a
// text channel, and removing one.
class ArticlesTab : public QWidget
{
    Q_OBJECT
public:
    explicit ArticlesTab(QWidget *parent = nullptr);

    QPlainTextEdit *articleList() const { return m_list; }
    QButtonGroup *channel() const { return m_channel; }
    QLineEdit *repeat() const { return m_repeat; }
    QComboBox *removeArticle() const { return m_remove; }

private:
    bool checkRepeat();

    QPlainTextEdit *m_list;
    QButtonGroup *m_channel;
    QLineEdit *m_repeat;
    QComboBox *m_remove;
};
