#include "resources/Strings.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace strings {

namespace {

struct Entry
{
    int id;
    const char* text; // UTF-8
};

// Sorted by id; the texts are the product's own wording, spelling included, so they match
// what users of the recorder already know.
constexpr Entry kTable[] = {
    {110, "Recorded file in 1channel. Change the channel before you play."},
    {114, "Unable to play an encrypted file in 'General View Mode'.\nPlease restart the viewer.\n"},
    {115, "Unable to play general file in 'Encryption View Mode'\nPlease restart the viewer\n"},
    {121, QT_TRANSLATE_NOOP("strings", "Интернет не доступен")},
    {122, QT_TRANSLATE_NOOP("strings", "Широта")},
    {123, QT_TRANSLATE_NOOP("strings", "Долгота")},
    {124, QT_TRANSLATE_NOOP("strings", "Положение")},
    {125, QT_TRANSLATE_NOOP("strings", "Дата и время")},
    {126, QT_TRANSLATE_NOOP("strings", "Скорость")},
    {127, QT_TRANSLATE_NOOP("strings", "км/ч")},
    {128, QT_TRANSLATE_NOOP("strings", "мили/ч")},
    {129, QT_TRANSLATE_NOOP("strings", "узлы")},
    {130, QT_TRANSLATE_NOOP("strings", "Пароль")},
    {131, QT_TRANSLATE_NOOP("strings", "Тип")},
    {132, QT_TRANSLATE_NOOP("strings", "Дата")},
    {133, QT_TRANSLATE_NOOP("strings", "Имя файла")},
    {135, QT_TRANSLATE_NOOP("strings", "За исключением")},
    {138, QT_TRANSLATE_NOOP("strings", "Сохраненная директория")},
    {139, QT_TRANSLATE_NOOP("strings", "Парольная защита")},
    {145, QT_TRANSLATE_NOOP("strings", "Не могу открыть GoogleMap.")},
    {146, QT_TRANSLATE_NOOP("strings", "30 кадров")},
    {147, QT_TRANSLATE_NOOP("strings", "Закончено захватывающ изображения.")},
    {148, QT_TRANSLATE_NOOP("strings", "Законченные сбережениа видео.")},
    {149, QT_TRANSLATE_NOOP("strings", "Подтверженный пароль нет этого же как новый пароль.")},
    {150, QT_TRANSLATE_NOOP("strings", "Преобразовывающ к изображениям,  пожалуйста ждите.")},
    {151, QT_TRANSLATE_NOOP("strings", "Захват")},
    {152, QT_TRANSLATE_NOOP("strings", "Сохранение файла")},
    {153, QT_TRANSLATE_NOOP("strings", "Настройки просмотра")},
    {154, QT_TRANSLATE_NOOP("strings", "Блок")},
    {155, QT_TRANSLATE_NOOP("strings", "Установка пароля")},
};

static_assert(std::is_sorted(std::begin(kTable), std::end(kTable),
    [](const Entry& a, const Entry& b) { return a.id <= b.id; }));

} // namespace

QString text(int id)
{
    const auto it = std::lower_bound(std::begin(kTable), std::end(kTable), id,
        [](const Entry& entry, int wanted) { return entry.id < wanted; });
    if (it == std::end(kTable) || it->id != id)
        return {};
    return QCoreApplication::translate("strings", it->text);
}

QString Text::toString() const
{
    return QCoreApplication::translate("strings", utf8);
}

QList<int> ids()
{
    QList<int> all;
    for (const Entry& entry : kTable)
        all.append(entry.id);
    return all;
}

const Text kAppTitle{"ZYN Viewer"};

const Text kFileSelectorTitle{QT_TRANSLATE_NOOP("strings", "Выбор архива")};
const Text kChooseFolderButton{QT_TRANSLATE_NOOP("strings", "Выбор папки")};
const Text kAddToList{QT_TRANSLATE_NOOP("strings", "Добавьте к списку")};
const Text kCancel{QT_TRANSLATE_NOOP("strings", "Отмена")};
const Text kTabContinuous{QT_TRANSLATE_NOOP("strings", "Нормальный режим")};
const Text kTabEvent{QT_TRANSLATE_NOOP("strings", "По сенсору движения")};
const Text kTabManual{QT_TRANSLATE_NOOP("strings", "Ручной режим")};
const Text kChooseFolder{QT_TRANSLATE_NOOP("strings", "Выберите папку")};
const Text kFolderChoiceCancelled{QT_TRANSLATE_NOOP("strings", "Выбор файла отменен")};
const Text kNoRecordingsInFolder{QT_TRANSLATE_NOOP("strings", "В папке нет файла")};
const Text kPleaseSelectRecordings{QT_TRANSLATE_NOOP("strings", "Пожалуйста выберите архивы")};
const Text kSelectAll{QT_TRANSLATE_NOOP("strings", "Выберите все")};

const Text kInformation{QT_TRANSLATE_NOOP("strings", "Информация")};
const Text kBrandLine{"Velqorin ZYN Viewer"};

const Text kPasswordPanelTitle{QT_TRANSLATE_NOOP("strings", "Пароль")};
const Text kNewPassword{QT_TRANSLATE_NOOP("strings", "Новый пароль")};
const Text kConfirmPassword{QT_TRANSLATE_NOOP("strings", "Подтверженный пароль")};

const Text kSelectDirectory{"Please select the directory"};

const Text kCopyChooseFolderFirst{QT_TRANSLATE_NOOP("strings", "Сначала выберите папку для сохранения видео.")};
const Text kCopyFailed{QT_TRANSLATE_NOOP("strings", "Не удалось сохранить видео в файл «%1».\n%2")};
const Text kCopyOntoItself{QT_TRANSLATE_NOOP("strings", "Это и есть исходный файл: видео нельзя скопировать само в себя.")};
const Text kCopyCannotRead{QT_TRANSLATE_NOOP("strings", "Не удалось прочитать исходный файл.")};
const Text kCopyCannotCreate{QT_TRANSLATE_NOOP("strings", "Не удалось создать файл: папка не существует или недоступна для записи.")};
const Text kCopyWriteFailed{QT_TRANSLATE_NOOP("strings", "Ошибка записи: возможно, на диске недостаточно места.")};
const Text kCopySizeMismatch{QT_TRANSLATE_NOOP("strings", "Размер копии не совпал с размером исходного файла; копия удалена.")};
const Text kCopyCannotReplace{QT_TRANSLATE_NOOP("strings", "Не удалось заменить существующий файл.")};
const Text kCopyCancelled{QT_TRANSLATE_NOOP("strings", "Копирование прервано; неполная копия удалена.")};
const Text kPrintFailed{QT_TRANSLATE_NOOP("strings", "Не удалось напечатать кадр: принтер не принял задание.")};

const Text kChooseFolderFirst{QT_TRANSLATE_NOOP("strings", "Сначала выберите папку.")};
const Text kFolderNameRefused{QT_TRANSLATE_NOOP("strings", "Имя папки не может содержать знаки \"?\" и \"*\":\n%1")};
const Text kCaptureSaved{QT_TRANSLATE_NOOP("strings", "Сохранено кадров: %1\nПапка: %2")};
const Text kCaptureLost{QT_TRANSLATE_NOOP("strings", "Не удалось сохранить кадров: %1")};
const Text kFileNotWritten{QT_TRANSLATE_NOOP("strings", "Не удалось записать файл %1:\n%2")};
const Text kReasonNotCreated{QT_TRANSLATE_NOOP("strings", "файл не создаётся (карта защищена от записи или не вставлена).")};
const Text kReasonNotComplete{QT_TRANSLATE_NOOP("strings", "данные записаны не полностью (на карте нет места?).")};
const Text kReasonNotReplaced{QT_TRANSLATE_NOOP("strings", "прежний файл не удалось заменить.")};
const Text kPasswordFourDigits{QT_TRANSLATE_NOOP("strings", "Пароль должен состоять из четырёх цифр.")};

const Text kRecordingNotOpened{QT_TRANSLATE_NOOP("strings", "Не удалось открыть запись «%1».\n%2")};
const Text kReasonMissing{QT_TRANSLATE_NOOP("strings", "Файл не найден.")};
const Text kReasonEmpty{QT_TRANSLATE_NOOP("strings", "Файл пуст.")};
const Text kReasonUnreadable{QT_TRANSLATE_NOOP("strings", "Файл недоступен для чтения.")};
const Text kReasonNotPlayable{QT_TRANSLATE_NOOP("strings", "Проигрыватель не смог его открыть: файл повреждён или не является видеозаписью.")};
const Text kSkippedDamaged{QT_TRANSLATE_NOOP("strings", "Повреждена, пропущена: %1")};
const Text kSkippedNotClosed{QT_TRANSLATE_NOOP("strings", "Не закрыта камерой, пропущена (её можно восстановить): %1")};
const Text kReasonNotClosed{QT_TRANSLATE_NOOP("strings", "Запись не была закрыта камерой (пропало питание?): её можно восстановить.")};
const Text kOfferRecovery{QT_TRANSLATE_NOOP("strings", "Запись не была закрыта камерой (пропало питание?). Восстановить?")};
const Text kRecovering{QT_TRANSLATE_NOOP("strings", "Восстановление записи…")};
const Text kRecovered{QT_TRANSLATE_NOOP("strings", "Восстановлена: %1")};
const Text kRecoveryCancelled{QT_TRANSLATE_NOOP("strings", "Восстановление отменено.")};
const Text kNoReference{QT_TRANSLATE_NOOP("strings", "В папке нет исправной записи той же камеры, по которой можно восстановить эту. Выбрать папку с такой записью?")};
const Text kChooseReferenceFolder{QT_TRANSLATE_NOOP("strings", "Папка с исправной записью той же камеры")};
const Text kNoReferenceInFolder{QT_TRANSLATE_NOOP("strings", "В выбранной папке нет исправной записи того же вида.")};
const Text kReferenceRefused{QT_TRANSLATE_NOOP("strings", "Исправная запись сделана с другими настройками (другой кодек или размер кадра) и не подходит для восстановления.")};
const Text kNothingToRecover{QT_TRANSLATE_NOOP("strings", "В записи нет данных, которые можно восстановить.")};
const Text kRecoveryReadFailed{QT_TRANSLATE_NOOP("strings", "Запись не удалось прочитать.")};
const Text kRecoveryWriteFailed{QT_TRANSLATE_NOOP("strings", "Восстановленную запись не удалось сохранить: нет места, папка защищена от записи или файл уже есть.\n%1")};
const Text kNotRecordings{QT_TRANSLATE_NOOP("strings", "Это не записи видеорегистратора (имя записи содержит drf_, evt_ или muevt_ и оканчивается на .mp4; в папке ищутся такие файлы):\n%1")};

const Text kDriveSummary{QT_TRANSLATE_NOOP("strings", "Сводка поездки")};
const Text kDriveStart{QT_TRANSLATE_NOOP("strings", "Начало")};
const Text kDriveEnd{QT_TRANSLATE_NOOP("strings", "Конец")};
const Text kDriveDuration{QT_TRANSLATE_NOOP("strings", "Длительность")};
const Text kDriveRecordings{QT_TRANSLATE_NOOP("strings", "Записей")};
const Text kDriveDistance{QT_TRANSLATE_NOOP("strings", "Расстояние")};
const Text kDriveMaxSpeed{QT_TRANSLATE_NOOP("strings", "Наибольшая скорость")};
const Text kDriveMeanSpeed{QT_TRANSLATE_NOOP("strings", "Средняя в движении")};
const Text kDriveMovingStopped{QT_TRANSLATE_NOOP("strings", "В движении / стоянки")};
const Text kDriveEvents{QT_TRANSLATE_NOOP("strings", "События: %1")};
const Text kDriveEventsHint{QT_TRANSLATE_NOOP("strings", "Щелчок по событию: воспроизведение за 5 с до него")};
const Text kDriveAnalysing{QT_TRANSLATE_NOOP("strings", "Поездка ещё читается…")};
const Text kDriveNone{QT_TRANSLATE_NOOP("strings", "Запись не входит в поездку: её телеметрию не удалось прочитать.")};
const Text kDriveTooltip{QT_TRANSLATE_NOOP("strings", "Поездка %1 – %2, записей: %3, %4 км")};
const Text kEventCamera{QT_TRANSLATE_NOOP("strings", "Событие камеры")};
const Text kEventBraking{QT_TRANSLATE_NOOP("strings", "Резкое торможение")};
const Text kEventAcceleration{QT_TRANSLATE_NOOP("strings", "Резкий разгон")};
const Text kEventImpact{QT_TRANSLATE_NOOP("strings", "Удар")};
const Text kEventTurn{QT_TRANSLATE_NOOP("strings", "Резкий поворот")};
const Text kKilometres{QT_TRANSLATE_NOOP("strings", "км")};
const Text kUnitKmh{QT_TRANSLATE_NOOP("strings", "км/ч")};
const Text kUnitMph{QT_TRANSLATE_NOOP("strings", "миль/ч")};
const Text kUnitKnots{QT_TRANSLATE_NOOP("strings", "уз")};
const Text kUnitDegreesPerSecond{QT_TRANSLATE_NOOP("strings", "°/с")};

const Text kClipMarkStart{QT_TRANSLATE_NOOP("strings", "Начало фрагмента")};
const Text kClipMarkEnd{QT_TRANSLATE_NOOP("strings", "Конец фрагмента")};
const Text kClipSave{QT_TRANSLATE_NOOP("strings", "Сохранить фрагмент...")};
const Text kClipSaveEvent{QT_TRANSLATE_NOOP("strings", "Сохранить событие...")};
const Text kClipClearMarks{QT_TRANSLATE_NOOP("strings", "Снять отметки фрагмента")};
const Text kClipTitle{QT_TRANSLATE_NOOP("strings", "Сохранение фрагмента")};
const Text kClipFrom{QT_TRANSLATE_NOOP("strings", "Начало:")};
const Text kClipTo{QT_TRANSLATE_NOOP("strings", "Конец:")};
const Text kClipLength{QT_TRANSLATE_NOOP("strings", "Длительность:")};
const Text kClipFolder{QT_TRANSLATE_NOOP("strings", "Папка:")};
const Text kClipBrowse{QT_TRANSLATE_NOOP("strings", "Обзор...")};
const Text kClipChooseFolder{QT_TRANSLATE_NOOP("strings", "Папка для фрагмента")};
const Text kClipAlsoGpxCsv{QT_TRANSLATE_NOOP("strings", "также GPX и CSV")};
const Text kClipOverlay{QT_TRANSLATE_NOOP("strings", "с телеметрией на кадре")};
const Text kClipStart{QT_TRANSLATE_NOOP("strings", "Сохранить")};
const Text kClipEndBeforeStart{QT_TRANSLATE_NOOP("strings", "Конец фрагмента должен быть позже его начала.")};
const Text kClipNoFolder{QT_TRANSLATE_NOOP("strings", "Папка не найдена:\n%1")};
const Text kClipWritten{QT_TRANSLATE_NOOP("strings", "Фрагмент сохранён. Записаны файлы:\n%1")};
const Text kClipFailed{QT_TRANSLATE_NOOP("strings", "Фрагмент не сохранён, ни один файл не оставлен:\n%1")};
const Text kClipCancelled{QT_TRANSLATE_NOOP("strings", "Сохранение фрагмента отменено, ни один файл не оставлен.")};
const Text kClipNothing{QT_TRANSLATE_NOOP("strings", "В отмеченном промежутке нет записей, которые можно сохранить.")};
const Text kClipNotes{QT_TRANSLATE_NOOP("strings", "Примечания:\n%1")};
const Text kClipBusy{QT_TRANSLATE_NOOP("strings", "Фрагмент ещё сохраняется.")};

const Text kArchiveTitle{QT_TRANSLATE_NOOP("strings", "Архив поездок")};
const Text kArchiveMenu{QT_TRANSLATE_NOOP("strings", "Архив поездок…")};
const Text kArchiveImportMenu{QT_TRANSLATE_NOOP("strings", "Сохранить карту в архив…")};
const Text kArchiveVehicle{QT_TRANSLATE_NOOP("strings", "Машина")};
const Text kArchiveAll{QT_TRANSLATE_NOOP("strings", "все")};
const Text kArchiveEvents{QT_TRANSLATE_NOOP("strings", "События")};
const Text kArchiveDates{QT_TRANSLATE_NOOP("strings", "Даты")};
const Text kArchivePlace{QT_TRANSLATE_NOOP("strings", "Место")};
const Text kArchivePlaceHint{QT_TRANSLATE_NOOP("strings", "широта, долгота")};
const Text kArchiveRadius{QT_TRANSLATE_NOOP("strings", "Радиус, м")};
const Text kArchiveSearch{QT_TRANSLATE_NOOP("strings", "Искать")};
const Text kArchiveDistance{QT_TRANSLATE_NOOP("strings", "км")};
const Text kArchiveDrivesOfDay{QT_TRANSLATE_NOOP("strings", "Поездки %1")};
const Text kArchiveNoDrives{QT_TRANSLATE_NOOP("strings", "В этот день поездок нет.")};
const Text kArchiveFound{QT_TRANSLATE_NOOP("strings", "Проездов: %1")};
const Text kArchiveNothingFound{QT_TRANSLATE_NOOP("strings", "Здесь ничего не найдено.")};
const Text kArchiveSearching{QT_TRANSLATE_NOOP("strings", "Поиск…")};
const Text kArchivePlaceInvalid{QT_TRANSLATE_NOOP("strings", "Место: широта и долгота в градусах, например 55.7512, 37.6184")};
const Text kArchiveCannotOpen{QT_TRANSLATE_NOOP("strings", "Архив не открывается: %1")};
const Text kArchiveHint{QT_TRANSLATE_NOOP("strings", "Щелчок по карте: поиск проездов (край круга тянется). Двойной щелчок по строке, метке или картинке: воспроизведение за 5 с до момента")};
const Text kProfileEmpty{QT_TRANSLATE_NOOP("strings", "Выберите поездку")};
const Text kArchiveOffer{QT_TRANSLATE_NOOP("strings", "В архиве нет %1 записей этой карты: сохранить?")};
const Text kArchiveChooseCard{QT_TRANSLATE_NOOP("strings", "Папка карты для архива")};
const Text kArchiveNothingMissing{QT_TRANSLATE_NOOP("strings", "Все записи этой карты уже в архиве.")};
const Text kArchiveImporting{QT_TRANSLATE_NOOP("strings", "Сохранение в архив: %1 из %2")};
const Text kArchiveImported{QT_TRANSLATE_NOOP("strings", "Архив: сохранено записей: %1, уже были: %2, сохранено рядом с одноимёнными: %3, не удалось: %4.")};
const Text kArchiveImportProblems{QT_TRANSLATE_NOOP("strings", "Не удалось сохранить:\n%1")};
const Text kArchiveImportDamaged{QT_TRANSLATE_NOOP("strings", "Сохранены как есть, но не читаются:\n%1")};
const Text kArchiveUnclosed{QT_TRANSLATE_NOOP("strings", "не закрыта камерой")};
const Text kArchiveUnreadable{QT_TRANSLATE_NOOP("strings", "не читается")};
const Text kArchiveImportCancelled{QT_TRANSLATE_NOOP("strings", "Сохранение в архив отменено. Записи, сохранённые до отмены (%1), остаются в архиве.")};
const Text kArchiveImportWriteFailed{QT_TRANSLATE_NOOP("strings", "Архив: запись не удалась (нет места или папка защищена от записи). Сохранённое раньше не пострадало.\n%1")};

const Text kUsbToolTitle{"USB Management Tool"};
const Text kDataTransmission{"Data Transmission"};
const Text kUsbCancel{"Cancel"};
const Text kUsbTabRecorder{"Recorder"};
const Text kUsbTabRecSet{"RecSet"};
const Text kUsbTabViewer{"Viewer"};
const Text kUsbTabDisplay{"Display"};
const Text kUsbTabSetting{"Setting"};
const Text kUsbTabEtc{"Etc"};
const Text kDeviceNotFound{"Device not found.\n"};
const Text kUsbTransmitting{"Transmitting..."};
const Text kUsbConfigRefused{"The recorder refused the USB connection. Nothing was exchanged."};
const Text kUsbInterfaceBusy{"The recorder is in use by another program. Nothing was exchanged."};
const Text kUsbSendIncomplete{
    "The settings were not sent to the recorder completely. Please send them again."};
const Text kUsbReplyIncomplete{
    "The recorder did not answer completely. Its settings could not be read back."};
const Text kUsbConfirmSdFormat{"\"SD Format\" is set to Yes: the recorder will format its SD "
                               "card and erase every recording on it.\n\nSend the settings now?"};

} // namespace strings
