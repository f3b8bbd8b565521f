#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// A one-line notice that closes itself after a delay ("자료가 저장되었습니다.").
// A click or Enter closes it early, but only while its timer runs.
namespace worktide {

class FrmFloatMsg : public QDialog {
    Q_OBJECT
public:
    explicit FrmFloatMsg(QWidget* parent = nullptr);
    ~FrmFloatMsg() override;

    void InitForm(const QString& strMsg = {}, int lDelay = 0);
    QString message() const;
    bool timerRunning() const;

signals:
    // The notice was clicked (or Enter pressed) while its timer ran, just before it closes.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Unload();

    QLabel* lblMsg;
    QTimer* Timer1;
};

} // namespace worktide
