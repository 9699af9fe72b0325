#pragma once
// The object data of the open project: one connection to the object database of the selected
// state, the datasets the editor, the pickers and the mini-map show, the defaults of new rows,
// the display and entry conversions, and the saving of edits with its messages.

#include "u_dataset.h"
#include "u_fbclient.h"

#include <QObject>
#include <QSet>
#include <functional>

namespace aeris {
class AppPaths;
namespace ref {
class ReferenceData;
}
} // namespace aeris

namespace aeris::obj {

// A source as the mini-map draws it (the angle in radians).
struct SourceMark {
    int id = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, angle = 0;
    int type = 0;
};

class TDataModuleObj : public QObject {
    Q_OBJECT
public:
    TDataModuleObj(AppPaths& paths, ref::ReferenceData& substRef, ref::ReferenceData& prodRef, QObject* parent = nullptr);
    ~TDataModuleObj() override;

    db::Connection IBDatabase;
    db::Transaction IBTransaction{IBDatabase};

    db::Dataset IBQuerySites;
    db::Dataset IBQueryPro;
    db::Dataset IBQuerySubst;
    db::Dataset IBQueryEmisSrc;
    db::Dataset IBQueryEvolSrc;
    db::Dataset IBQueryGou;
    db::Dataset IBQueryEmisData;
    db::Dataset IBQueryEvolData;
    db::Dataset IBQueryGouData;
    db::Dataset IBQuerySrc;          // read-only, for the mini-map
    db::Dataset IBQuerySelSubstAll;  // the substance reference
    db::Dataset IBQuerySelProAll;    // the production reference

    // The index of the state chosen in the editor's state selector (0 the existing state).
    std::function<int()> selectedState = [] { return 0; };
    // Whether the mini-map is on screen (it is repainted after sources are saved).
    std::function<bool()> miniMapVisible = [] { return false; };

    int BaseYear = 0;
    bool StateOpen = false;

    int GetBaseYear();
    void SetBaseYear(int year);

    // Connects the object database of the selected state (copying it from the template or
    // the previous state when missing), connects the reference, opens every dataset. On
    // failure writes the opening log to log.txt in the program folder and stays closed.
    bool OpenState(const QString& projectFolder);
    bool CloseState();
    // Posts a pending edit, applies the cached updates and commits retaining; reports failures.
    // True when nothing is left unsaved.
    bool SaveDataset(db::Dataset& ds);

    // The nine editable datasets, masters first.
    std::vector<db::Dataset*> editableDatasets();
    // The reference lists, reconnected when their window closed the connection meanwhile.
    db::Dataset& substanceReference();
    db::Dataset& productionReference();

signals:
    void sourcesSaved();                              // repaint the mini-map
    void currentSourceChanged(const SourceMark& mark); // the mini-map's highlighted source

private:
    void setupDatasets();
    void fillNamesFromReference(db::Dataset& ds, const QString& idField, const QString& nameField,
                                db::Dataset& reference, const QString& refId, const QString& refName);
    void reportApplyFailure(const QString& message);
    QString infoFile() const;

    QSet<db::Dataset*> m_saving;
    AppPaths& m_paths;
    ref::ReferenceData& m_substRef;
    ref::ReferenceData& m_prodRef;
};

} // namespace aeris::obj
