#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
struct AppContext;

// Information about the program: the version text and the expert settings switch.
class TInfo_Form final : public QDialog
{
    Q_OBJECT
public:
    explicit TInfo_Form(AppContext &context, QWidget *parent = nullptr);

    void setVersionText(const QString &text);

signals:
    void expertChanged(bool expert);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void expertToggled(bool checked);

    AppContext &m_context;
    QLabel *m_version = nullptr;
    QCheckBox *m_expert = nullptr;
};
