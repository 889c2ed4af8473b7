#pragma once

#include <QMainWindow>
#include <QPointer>

class MainWindowParts;
class PlantRun;
class PlantSend;
class PlantTableModel;
class QAction;
class QLabel;
class QProgressBar;
class QSortFilterProxyModel;
class QTableView;
class TrafficLogWindow;

// View > Plant: the encoders of a plant in a table, programmed or checked all at once or a
// selection of them by the engine quillcast-send uses (the same list, configurations, plant run
// and report). The list can be edited and saved here; the last list opened is opened again
// the next time the window is.
class PlantWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit PlantWindow(MainWindowParts *mainWindow);
    ~PlantWindow() override;

    // Reads the list and shows it; a list that does not read is refused whole with the list
    // reader's message, and the table stays as it was. No question about unsaved changes.
    bool openList(const QString &path);
    // Opens the list last opened, if there is one and it still reads; else nothing is said.
    void openLastList();
    bool saveList(const QString &path);
    bool saveReport(const QString &path);
    // Asks whether to save a changed list; true when the caller may go on.
    bool promptSaveList();

    QString listPath() const { return m_listPath; }
    bool isModified() const { return isWindowModified(); }
    bool isRunning() const;
    PlantTableModel *model() const { return m_model; }
    QTableView *table() const { return m_table; }
    const PlantRun *run() const;
    QLabel *progressText() const { return m_progressText; }

    static const QString ListFilter;   // "Encoder Lists (.ini)|*.ini"
    static const QString ReportFilter; // "Reports (.json)|*.json"

public slots:
    void openEncoderList();
    void saveListFile();
    void saveListAs();
    void saveReportAs();
    void checkSelected();
    void sendToSelected();
    void sendToAll();
    void stopRun();
    void addEncoder();
    void editEncoder();
    void removeEncoders();
    void openConfiguration();
    void showTraffic();
    void showHelp();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QAction *makeAction(const QString &name, const QString &caption, void (PlantWindow::*slot)());
    void buildMenus();
    void buildStatusBar();
    void setModified(bool modified);
    void showListPath();
    void updateActions();
    void showProgress();
    QList<int> selectedRows() const;
    int currentRow() const;

    MainWindowParts *m_mainWindow;
    PlantTableModel *m_model;
    QSortFilterProxyModel *m_sorted;
    QTableView *m_table;
    QLabel *m_progressText = nullptr;
    QProgressBar *m_progress = nullptr;
    QString m_listPath;
    PlantSend *m_send;
    QPointer<TrafficLogWindow> m_traffic;
};
