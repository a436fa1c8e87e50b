// Camera-to-slot binding: SaveSN storing the serials of the open cameras in the chosen slots of SN.db
// (one transaction, rows created when missing), clearing, the round trip through the start-up load, and
// the reorder dialog.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "app/lanstr.h"
#include "app/parametermanager.h"
#include "camera/camerabinding.h"
#include "camera/widgetchangecamera.h"
#include "widgets/indexbutton.h"
#include "camrig.h"
#include "programdir.h"
#include "scriptedprompter.h"

using simcam::Vendor;
Q_DECLARE_METATYPE(simcam::Vendor)

namespace {
// The stored bindings of SN.db, read on a connection of their own.
QStringList storedBindings() {
    QStringList out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(QStringLiteral("SN.db"));
        if (db.open()) {
            QSqlQuery q(db);
            for (int k = 0; k < 8; ++k) {
                q.prepare(QStringLiteral("select value from sysparam where name=?"));
                q.addBindValue(QStringLiteral("serialNB%1").arg(k));
                out.append(q.exec() && q.next() ? q.value(0).toString() : QStringLiteral("<missing>"));
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return out;
}

bool execOnSn(const QString& sql) {
    QSqlQuery q(ParameterManager::getInstance()->snDb);
    return q.exec(sql);
}

QStringList memoryBindings() {
    QStringList out;
    for (int k = 0; k < 8; ++k) out.append(QString::fromLatin1(gSerialNB[k]));
    return out;
}

QStringList zeros(int from = 0) {
    QStringList out;
    for (int k = from; k < 8; ++k) out.append(QStringLiteral("0"));
    return out;
}
}  // namespace

class TestCameraBinding : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { loadLanguageTable(); }
    void init() {
        resetCameraWorld();
        resetParamGlobals();
        gLan = 1;
        dir_ = std::make_unique<ProgramDir>();
        QVERIFY(dir_->installFactoryFiles(true));
        ParameterManager::getInstance()->init();  // creates the binding rows
        QVERIFY(ParameterManager::getInstance()->snDb.isOpen());
        gLan = 1;  // after the load, which takes the record's language
        for (int i = 0; i < 8; ++i) gCamNO[i] = i;
    }
    void cleanup() {
        resetParamGlobals();
        dir_.reset();
    }
    void cleanupTestCase() { simcam::Bus::instance().reset(); }

    // Two cameras swapped in the dialog: each serial lands in the other's slot, in memory, in SN.db and
    // at the next start, which then shows each camera in the other's former slot.
    void swapRoundTrip_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::newRow("mindvision") << Vendor::MindVision;
        QTest::newRow("hikvision gige") << Vendor::Hikvision;
        QTest::newRow("ueye") << Vendor::Ueye;
    }
    void swapRoundTrip() {
        QFETCH(Vendor, vendor);
        RecordingWindow win;
        const bool ueye = vendor == Vendor::Ueye;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(vendor, "SERIAL-0001", ueye ? 1280 : 64, ueye ? 1024 : 48));
        bus.addCamera(spec(vendor, "SERIAL-0002", ueye ? 1280 : 64, ueye ? 1024 : 48));
        {
            ViewRig rig;
            rig.openAll(2);
            QCOMPARE(rig.view(0).ReadSerial(), QByteArray("SERIAL-0001"));
            gCamNO[0] = 1;
            gCamNO[1] = 0;
            QVERIFY(SaveSN(0));
        }
        const QStringList expected = QStringList{"SERIAL-0002", "SERIAL-0001"} + zeros(2);
        QCOMPARE(memoryBindings(), expected);
        QCOMPARE(storedBindings(), expected);
        QCOMPARE(win.records, (QStringList{"Save SN 1: SERIAL-0002", "Save SN 2: SERIAL-0001"}));

        // The next start loads them and opens by serial.
        memset(gSerialNB, 0, sizeof(gSerialNB));
        WizardPara loaded;
        loaded.LoadSN(ParameterManager::getInstance()->snQuery);
        QCOMPARE(loaded.serial_count, 2);
        QCOMPARE(memoryBindings().mid(0, 2), expected.mid(0, 2));
        ViewRig again;
        again.openAll(2);
        QCOMPARE(again.view(0).ReadSerial(), QByteArray("SERIAL-0002"));
        QCOMPARE(again.view(1).ReadSerial(), QByteArray("SERIAL-0001"));

        // Clearing stores "0" everywhere; the records are in the language in use (here Chinese).
        win.records.clear();
        gLan = 0;
        QVERIFY(SaveSN(1));
        gLan = 1;
        QCOMPARE(memoryBindings(), zeros());
        QCOMPARE(storedBindings(), zeros());
        QCOMPARE(win.records, (QStringList{QString::fromUtf8("保存相机1序列号：0"),
                                           QString::fromUtf8("保存相机2序列号：0")}));
    }

    // Serials are stored as the camera gives them, quotes and all, and bind at the next start when
    // they have 9 to 99 characters; a GigE serial that fills its 16-byte field (no NUL) is read whole.
    void serialTexts_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::addColumn<QByteArray>("serial");
        QTest::addColumn<bool>("bound");
        QTest::newRow("quote and SQL text") << Vendor::MindVision << QByteArray("SN'0;--\"01") << true;
        QTest::newRow("nine characters") << Vendor::MindVision << QByteArray("SN0000009") << true;
        QTest::newRow("eight characters: by position")
            << Vendor::MindVision << QByteArray("SN000008") << false;
        QTest::newRow("gige field full") << Vendor::Hikvision << QByteArray("SNFULLFIELD00016") << true;
    }
    void serialTexts() {
        QFETCH(Vendor, vendor);
        QFETCH(QByteArray, serial);
        QFETCH(bool, bound);
        RecordingWindow win;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(vendor, serial));
        {
            ViewRig rig;
            rig.openAll(1);
            QCOMPARE(rig.view(0).ReadSerial(), serial);
            QVERIFY(SaveSN(0));
        }
        QCOMPARE(storedBindings().value(0), QString::fromLatin1(serial));
        memset(gSerialNB, 0, sizeof(gSerialNB));
        WizardPara loaded;
        loaded.LoadSN(ParameterManager::getInstance()->snQuery);
        QCOMPARE(loaded.serial_count, bound ? 1 : 0);
        QCOMPARE(QByteArray(gSerialNB[0]), bound ? serial : QByteArray());
        // Bound or by position, the camera opens again.
        bus.clearLog();
        ViewRig again;
        again.openAll(1);
        QVERIFY(again.view(0).isActive());
        QCOMPARE(again.view(0).ReadSerial(), serial);
    }

    // Back-ends without serial binding store "0"; a Hikvision USB camera stores an empty binding.
    void noSerialBinding_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::addColumn<bool>("usb");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("galaxy") << Vendor::Galaxy << false << zeros();
        QTest::newRow("hik usb") << Vendor::Hikvision << true << QStringList{"", "SERIAL-0002"} + zeros(2);
    }
    void noSerialBinding() {
        QFETCH(Vendor, vendor);
        QFETCH(bool, usb);
        QFETCH(QStringList, expected);
        auto& bus = simcam::Bus::instance();
        auto s1 = spec(vendor, "SERIAL-0001");
        s1.gige = !usb;
        bus.addCamera(s1);
        bus.addCamera(spec(vendor, "SERIAL-0002"));
        ViewRig rig;
        rig.openAll(2);
        QVERIFY(SaveSN(0));
        QCOMPARE(memoryBindings(), expected);
        QCOMPARE(storedBindings(), expected);
    }

    // A missing row is created; a camera whose chosen slot is out of range is skipped.
    void missingRowAndBadSlot() {
        QVERIFY(execOnSn("delete from sysparam where name='serialNB1'"));
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(Vendor::MindVision, "SERIAL-0001"));
        bus.addCamera(spec(Vendor::MindVision, "SERIAL-0002"));
        ViewRig rig;
        rig.openAll(2);
        gCamNO[0] = 1;
        gCamNO[1] = 8;
        QVERIFY(SaveSN(0));
        const QStringList expected = QStringList{"0", "SERIAL-0001"} + zeros(2);
        QCOMPARE(storedBindings(), expected);
        QCOMPARE(memoryBindings(), expected);
    }

    // A write that fails part-way leaves SN.db as it was and is reported.
    void failedWriteRollsBack() {
        QVERIFY(execOnSn("update sysparam set value='OLD-SERIAL-1' where name='serialNB0'"));
        QVERIFY(
            execOnSn("create trigger refuse before update on sysparam when new.name='serialNB5' "
                     "begin select raise(abort, 'refused'); end"));
        simcam::Bus::instance().addCamera(spec(Vendor::MindVision, "SERIAL-0001"));
        ViewRig rig;
        rig.openAll(1);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("camera bindings not stored"));
        QVERIFY(!SaveSN(0));
        QCOMPARE(storedBindings().first(), QStringLiteral("OLD-SERIAL-1"));
    }

    void withoutDatabase() {
        ParameterManager::destroyInstance();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("camera bindings not stored"));
        QVERIFY(!SaveSN(1));
        QCOMPARE(memoryBindings(), zeros());
    }

    // The dialog: one row per open camera, current items in camera order; a reorder is stored and the
    // shutdown requested; a slot chosen twice is refused with nothing stored.
    void reorderDialog() {
        RecordingWindow win;
        ScriptedPrompter prompter;
        auto& bus = simcam::Bus::instance();
        for (int i = 1; i <= 3; ++i)
            bus.addCamera(spec(Vendor::MindVision, QByteArray("SERIAL-000") + char('0' + i)));
        ViewRig rig;
        rig.openAll(3);
        gShowW = 1725;
        gShowH = 982;
        WidgetChangeCamera dlg(&win);
        QSignalSpy shutdown(&dlg, &WidgetChangeCamera::shutDownRequested);
        QCOMPARE(dlg.rowCount(), 3);
        QVERIFY(dlg.isHidden());
        QCOMPARE(dlg.geometry(), QRect(1725 / 2 - 275, 982 / 2 - 280, 550, 560));
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(dlg.combo(k)->currentIndex(), k);
            QCOMPARE(dlg.combo(k)->count(), 3);
            QCOMPARE(gCamNO[k], k);
        }
        QCOMPARE(dlg.combo(0)->itemText(1), QStringLiteral("NO.2"));
        const QStringList before = storedBindings();

        dlg.show();
        dlg.combo(0)->setCurrentIndex(1);  // cameras 0 and 1 both to the second slot
        dlg.confirmButton()->click();
        QCOMPARE(prompter.warnings, QStringList{"2 repeating, please revise!"});
        QVERIFY(dlg.isVisible());
        QCOMPARE(shutdown.count(), 0);
        QCOMPARE(storedBindings(), before);

        dlg.combo(1)->setCurrentIndex(2);
        dlg.combo(2)->setCurrentIndex(0);  // 0 -> 2nd, 1 -> 3rd, 2 -> 1st
        dlg.confirmButton()->click();
        QCOMPARE(prompter.warnings.size(), 1);
        QVERIFY(dlg.isHidden());
        QCOMPARE(shutdown.count(), 1);
        const QStringList expected = QStringList{"SERIAL-0003", "SERIAL-0001", "SERIAL-0002"} + zeros(3);
        QCOMPARE(storedBindings(), expected);
        QCOMPARE(memoryBindings(), expected);
    }

    // Test mode: four rows; confirming stores "0" everywhere.
    void reorderDialogTestMode() {
        RecordingWindow win;
        ScriptedPrompter prompter;
        QVERIFY(execOnSn("update sysparam set value='OLD-SERIAL-1' where name='serialNB0'"));
        ViewRig rig;
        rig.openAll(4);
        WidgetChangeCamera dlg(&win);
        QSignalSpy shutdown(&dlg, &WidgetChangeCamera::shutDownRequested);
        QCOMPARE(dlg.rowCount(), 4);
        dlg.combo(0)->setCurrentIndex(3);
        dlg.combo(3)->setCurrentIndex(0);
        dlg.SlotOK();
        QCOMPARE(shutdown.count(), 1);
        QCOMPARE(storedBindings(), zeros());
    }

private:
    std::unique_ptr<ProgramDir> dir_;
};

QTEST_MAIN(TestCameraBinding)
#include "tst_camerabinding.moc"
