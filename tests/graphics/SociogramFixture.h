#pragma once

#include "data/DataFixture.h"
#include "graph/GraphDocument.h"
#include "graph/GraphLink.h"
#include "graph/GraphNode.h"

// A class with pupils, a questionnaire whose first question has a negative wording, one session and the
// data module opened on that class as the main window leaves it before the sociogram window shows.
class SociogramFixture : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_class = addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("5.A"), QStringLiteral("Nováková"));
        m_test = addTest(QStringLiteral("Vztahy"));
        m_question =
            addQuestion(m_test, QStringLiteral("S kým sedíš rád?"), QStringLiteral("S kým nesedíš?"), 0, 1);
        m_plainQuestion = addQuestion(m_test, QStringLiteral("Kdo je tvůj kamarád?"), QVariant(), 0, 2);
        m_session = addSession(m_class, m_test, QStringLiteral("2021-03-04 00:00:00"));
    }

    // Opens the datasets with the class current and its sessions read.
    void openModule() {
        dm().openDatasets();
        dm().Vyhodnoceni_Query().setParameter(QStringLiteral("par_id_tridy"), m_class);
        dm().RefreshDataset(dm().Vyhodnoceni_Query());
    }

    static TGraphNode *node(GraphDocument &doc, const QString &text) {
        for (TGraphObject *object : doc.Objects())
            if (object->IsNode() && object->Text() == text)
                return static_cast<TGraphNode *>(object);
        return nullptr;
    }
    static TGraphLink *link(GraphDocument &doc, const QString &from, const QString &to) {
        for (TGraphObject *object : doc.Objects())
            if (object->IsLink()) {
                auto *l = static_cast<TGraphLink *>(object);
                if (l->Source() && l->Target() && l->Source()->Text() == from && l->Target()->Text() == to)
                    return l;
            }
        return nullptr;
    }
    static int linkCount(const GraphDocument &doc) {
        int n = 0;
        for (const TGraphObject *object : doc.Objects())
            n += object->IsLink() ? 1 : 0;
        return n;
    }

    qint64 m_class = 0;
    qint64 m_test = 0;
    qint64 m_question = 0;
    qint64 m_plainQuestion = 0;
    qint64 m_session = 0;
};
