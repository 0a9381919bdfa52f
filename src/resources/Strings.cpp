#include "resources/Strings.h"

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
    {121, "Интернет не доступен"},
    {122, "Широта"},
    {123, "Долгота"},
    {124, "Положение"},
    {125, "Дата и время"},
    {126, "Скорость"},
    {127, "км/ч"},
    {128, "мили/ч"},
    {129, "узлы"},
    {130, "Пароль"},
    {131, "Тип"},
    {132, "Дата"},
    {133, "Имя файла"},
    {135, "За исключением"},
    {138, "Сохраненная директория"},
    {139, "Парольная защита"},
    {145, "Не могу открыть GoogleMap."},
    {146, "30 кадров"},
    {147, "Закончено захватывающ изображения."},
    {148, "Законченные сбережениа видео."},
    {149, "Подтверженный пароль нет этого же как новый пароль."},
    {150, "Преобразовывающ к изображениям,  пожалуйста ждите."},
    {151, "Захват"},
    {152, "Сохранение файла"},
    {153, "Настройки просмотра"},
    {154, "Блок"},
    {155, "Установка пароля"},
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
    return QString::fromUtf8(it->text);
}

QList<int> ids()
{
    QList<int> all;
    for (const Entry& entry : kTable)
        all.append(entry.id);
    return all;
}

const Text kAppTitle{"ZYN Viewer"};

const Text kFileSelectorTitle{"Выбор архива"};
const Text kChooseFolderButton{"Выбор папки"};
const Text kAddToList{"Добавьте к списку"};
const Text kCancel{"Отмена"};
const Text kTabContinuous{"Нормальный режим"};
const Text kTabEvent{"По сенсору движения"};
const Text kTabManual{"Ручной режим"};
const Text kChooseFolder{"Выберите папку"};
const Text kFolderChoiceCancelled{"Выбор файла отменен"};
const Text kNoRecordingsInFolder{"В папке нет файла"};
const Text kPleaseSelectRecordings{"Пожалуйста выберите архивы"};
const Text kSelectAll{"Выберите все"};

const Text kInformation{"Информация"};
const Text kBrandLine{"Velqorin ZYN Viewer"};

const Text kPasswordPanelTitle{"Пароль"};
const Text kNewPassword{"Новый пароль"};
const Text kConfirmPassword{"Подтверженный пароль"};

const Text kSelectDirectory{"Please select the directory"};

const Text kCopyChooseFolderFirst{"Сначала выберите папку для сохранения видео."};
const Text kCopyFailed{"Не удалось сохранить видео в файл «%1».\n%2"};
const Text kCopyOntoItself{"Это и есть исходный файл: видео нельзя скопировать само в себя."};
const Text kCopyCannotRead{"Не удалось прочитать исходный файл."};
const Text kCopyCannotCreate{"Не удалось создать файл: папка не существует или недоступна для записи."};
const Text kCopyWriteFailed{"Ошибка записи: возможно, на диске недостаточно места."};
const Text kCopySizeMismatch{"Размер копии не совпал с размером исходного файла; копия удалена."};
const Text kCopyCannotReplace{"Не удалось заменить существующий файл."};
const Text kCopyCancelled{"Копирование прервано; неполная копия удалена."};
const Text kPrintFailed{"Не удалось напечатать кадр: принтер не принял задание."};

const Text kChooseFolderFirst{"Сначала выберите папку."};
const Text kFolderNameRefused{"Имя папки не может содержать знаки \"?\" и \"*\":\n%1"};
const Text kCaptureSaved{"Сохранено кадров: %1\nПапка: %2"};
const Text kCaptureLost{"Не удалось сохранить кадров: %1"};
const Text kFileNotWritten{"Не удалось записать файл %1:\n%2"};
const Text kReasonNotCreated{"файл не создаётся (карта защищена от записи или не вставлена)."};
const Text kReasonNotComplete{"данные записаны не полностью (на карте нет места?)."};
const Text kReasonNotReplaced{"прежний файл не удалось заменить."};
const Text kPasswordFourDigits{"Пароль должен состоять из четырёх цифр."};

const Text kRecordingNotOpened{"Не удалось открыть запись «%1».\n%2"};
const Text kReasonMissing{"Файл не найден."};
const Text kReasonEmpty{"Файл пуст."};
const Text kReasonUnreadable{"Файл недоступен для чтения."};
const Text kReasonNotPlayable{"Проигрыватель не смог его открыть: файл повреждён или не является видеозаписью."};
const Text kSkippedDamaged{"Повреждена, пропущена: %1"};
const Text kReasonNotClosed{"Запись не была закрыта камерой (пропало питание?): её можно восстановить."};
const Text kOfferRecovery{"Запись не была закрыта камерой (пропало питание?). Восстановить?"};
const Text kRecovering{"Восстановление записи…"};
const Text kRecovered{"Восстановлена: %1"};
const Text kRecoveryCancelled{"Восстановление отменено."};
const Text kNoReference{"В папке нет исправной записи той же камеры, по которой можно восстановить эту. Выбрать папку с такой записью?"};
const Text kChooseReferenceFolder{"Папка с исправной записью той же камеры"};
const Text kNoReferenceInFolder{"В выбранной папке нет исправной записи того же вида."};
const Text kReferenceRefused{"Исправная запись сделана с другими настройками (другой кодек или размер кадра) и не подходит для восстановления."};
const Text kNothingToRecover{"В записи нет данных, которые можно восстановить."};
const Text kRecoveryReadFailed{"Запись не удалось прочитать."};
const Text kRecoveryWriteFailed{"Восстановленную запись не удалось сохранить: нет места, папка защищена от записи или файл уже есть.\n%1"};
const Text kNotRecordings{"Это не записи видеорегистратора (имя записи содержит drf_, evt_ или muevt_ и оканчивается на .mp4; в папке ищутся такие файлы):\n%1"};
const Text kClipMarkStart{"Начало фрагмента"};
const Text kClipMarkEnd{"Конец фрагмента"};
const Text kClipSave{"Сохранить фрагмент..."};
const Text kClipSaveEvent{"Сохранить событие..."};
const Text kClipClearMarks{"Снять отметки фрагмента"};
const Text kClipTitle{"Сохранение фрагмента"};
const Text kClipFrom{"Начало:"};
const Text kClipTo{"Конец:"};
const Text kClipLength{"Длительность:"};
const Text kClipFolder{"Папка:"};
const Text kClipBrowse{"Обзор..."};
const Text kClipChooseFolder{"Папка для фрагмента"};
const Text kClipAlsoGpxCsv{"также GPX и CSV"};
const Text kClipStart{"Сохранить"};
const Text kClipEndBeforeStart{"Конец фрагмента должен быть позже его начала."};
const Text kClipNoFolder{"Папка не найдена:\n%1"};
const Text kClipWritten{"Фрагмент сохранён. Записаны файлы:\n%1"};
const Text kClipFailed{"Фрагмент не сохранён, ни один файл не оставлен:\n%1"};
const Text kClipCancelled{"Сохранение фрагмента отменено, ни один файл не оставлен."};
const Text kClipNothing{"В отмеченном промежутке нет записей, которые можно сохранить."};
const Text kClipNotes{"Примечания:\n%1"};
const Text kClipBusy{"Фрагмент ещё сохраняется."};

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
