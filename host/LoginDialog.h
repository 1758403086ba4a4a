#pragma once

#include "LoginValues.h"

#include <QDialog>

class QDateEdit;
class QLineEdit;
class QSpinBox;

// The login: user, password, company, branch, processing date, application server and the host
// database. Accepting checks that nothing required is missing.
class TLoginDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TLoginDialog(const TLoginValues &initial, QWidget *parent = nullptr);

    TLoginValues Values() const;
    void accept() override;

private:
    QLineEdit *m_user;
    QLineEdit *m_password;
    QLineEdit *m_company;
    QLineEdit *m_branch;
    QDateEdit *m_date;
    QLineEdit *m_server;
    QSpinBox *m_port;
    QLineEdit *m_database;
};
