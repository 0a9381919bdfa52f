<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>strings</name>
    <message>
        <location filename="../Strings.cpp" line="24" />
        <source>Интернет не доступен</source>
        <translation>No internet connection</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="25" />
        <source>Широта</source>
        <translation>Latitude</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="26" />
        <source>Долгота</source>
        <translation>Longitude</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="27" />
        <source>Положение</source>
        <translation>Position</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="28" />
        <source>Дата и время</source>
        <translation>Date and time</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="29" />
        <source>Скорость</source>
        <translation>Speed</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="30" />
        <location filename="../Strings.cpp" line="165" />
        <source>км/ч</source>
        <translation>km/h</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="31" />
        <source>мили/ч</source>
        <translation>mph</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="32" />
        <source>узлы</source>
        <translation>knots</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="33" />
        <location filename="../Strings.cpp" line="98" />
        <source>Пароль</source>
        <translation>Password</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="34" />
        <source>Тип</source>
        <translation>Type</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="35" />
        <source>Дата</source>
        <translation>Date</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="36" />
        <source>Имя файла</source>
        <translation>File name</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="37" />
        <source>За исключением</source>
        <translation>Except</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="38" />
        <source>Сохраненная директория</source>
        <translation>Save folder</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="39" />
        <source>Парольная защита</source>
        <translation>Password protection</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="40" />
        <source>Не могу открыть GoogleMap.</source>
        <translation>Cannot open the map.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="41" />
        <source>30 кадров</source>
        <translation>30 frames</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="42" />
        <source>Закончено захватывающ изображения.</source>
        <translation>Frames captured.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="43" />
        <source>Законченные сбережениа видео.</source>
        <translation>Video saved.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="44" />
        <source>Подтверженный пароль нет этого же как новый пароль.</source>
        <translation>The confirmation does not match the new password.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="45" />
        <source>Преобразовывающ к изображениям,  пожалуйста ждите.</source>
        <translation>Saving the frames as pictures, please wait.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="46" />
        <source>Захват</source>
        <translation>Capture</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="47" />
        <source>Сохранение файла</source>
        <translation>Save file</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="48" />
        <source>Настройки просмотра</source>
        <translation>Viewer settings</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="49" />
        <source>Блок</source>
        <translation>Speed unit</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="50" />
        <source>Установка пароля</source>
        <translation>Set password</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="82" />
        <source>Выбор архива</source>
        <translation>Choose recordings</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="83" />
        <source>Выбор папки</source>
        <translation>Choose folder</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="84" />
        <source>Добавьте к списку</source>
        <translation>Add to list</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="85" />
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="86" />
        <source>Нормальный режим</source>
        <translation>Continuous</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="87" />
        <source>По сенсору движения</source>
        <translation>G-sensor events</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="88" />
        <source>Ручной режим</source>
        <translation>Manual events</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="89" />
        <source>Выберите папку</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="90" />
        <source>Выбор файла отменен</source>
        <translation>No folder was chosen</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="91" />
        <source>В папке нет файла</source>
        <translation>There are no recordings in this folder</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="92" />
        <source>Пожалуйста выберите архивы</source>
        <translation>Please choose recordings</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="93" />
        <source>Выберите все</source>
        <translation>Select all</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="95" />
        <source>Информация</source>
        <translation>About</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="99" />
        <source>Новый пароль</source>
        <translation>New password</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="100" />
        <source>Подтверженный пароль</source>
        <translation>Confirm password</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="104" />
        <source>Сначала выберите папку для сохранения видео.</source>
        <translation>Choose a folder to save the video in first.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="105" />
        <source>Не удалось сохранить видео в файл «%1».
%2</source>
        <translation>Could not save the video as "%1".
%2</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="106" />
        <source>Это и есть исходный файл: видео нельзя скопировать само в себя.</source>
        <translation>That is the recording itself: a video cannot be copied onto itself.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="107" />
        <source>Не удалось прочитать исходный файл.</source>
        <translation>Could not read the recording.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="108" />
        <source>Не удалось создать файл: папка не существует или недоступна для записи.</source>
        <translation>Could not create the file: the folder does not exist or cannot be written to.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="109" />
        <source>Ошибка записи: возможно, на диске недостаточно места.</source>
        <translation>Write error: the disk may be full.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="110" />
        <source>Размер копии не совпал с размером исходного файла; копия удалена.</source>
        <translation>The copy's size did not match the recording's; the copy was deleted.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="111" />
        <source>Не удалось заменить существующий файл.</source>
        <translation>Could not replace the existing file.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="112" />
        <source>Копирование прервано; неполная копия удалена.</source>
        <translation>Copying was interrupted; the incomplete copy was deleted.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="113" />
        <source>Не удалось напечатать кадр: принтер не принял задание.</source>
        <translation>Could not print the frame: the printer did not accept the job.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="115" />
        <source>Сначала выберите папку.</source>
        <translation>Choose a folder first.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="116" />
        <source>Имя папки не может содержать знаки "?" и "*":
%1</source>
        <translation>A folder name cannot contain "?" or "*":
%1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="117" />
        <source>Сохранено кадров: %1
Папка: %2</source>
        <translation>Frames saved: %1
Folder: %2</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="118" />
        <source>Не удалось сохранить кадров: %1</source>
        <translation>Frames that could not be saved: %1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="119" />
        <source>Не удалось записать файл %1:
%2</source>
        <translation>Could not write the file %1:
%2</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="120" />
        <source>файл не создаётся (карта защищена от записи или не вставлена).</source>
        <translation>the file cannot be created (is the card write-protected or not inserted?).</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="121" />
        <source>данные записаны не полностью (на карте нет места?).</source>
        <translation>not all of it was written (is the card full?).</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="122" />
        <source>прежний файл не удалось заменить.</source>
        <translation>the old file could not be replaced.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="123" />
        <source>Пароль должен состоять из четырёх цифр.</source>
        <translation>The password must be four digits.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="125" />
        <location filename="../Strings.cpp" line="170" />
        <source>Не удалось открыть запись «%1».
%2</source>
        <translation>Could not open the recording "%1".
%2</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="126" />
        <location filename="../Strings.cpp" line="171" />
        <source>Файл не найден.</source>
        <translation>The file was not found.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="127" />
        <location filename="../Strings.cpp" line="172" />
        <source>Файл пуст.</source>
        <translation>The file is empty.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="128" />
        <location filename="../Strings.cpp" line="173" />
        <source>Файл недоступен для чтения.</source>
        <translation>The file cannot be read.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="129" />
        <location filename="../Strings.cpp" line="174" />
        <source>Проигрыватель не смог его открыть: файл повреждён или не является видеозаписью.</source>
        <translation>The player could not open it: the file is damaged or is not a video recording.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="130" />
        <location filename="../Strings.cpp" line="175" />
        <source>Повреждена, пропущена: %1</source>
        <translation>Damaged, skipped: %1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="131" />
        <source>Не закрыта камерой, пропущена (её можно восстановить): %1</source>
        <translation>Not closed by the camera, skipped (it can be recovered): %1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="131" />
        <location filename="../Strings.cpp" line="176" />
        <source>Запись не была закрыта камерой (пропало питание?): её можно восстановить.</source>
        <translation>The camera never finished this recording (a power cut?): it can be recovered.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="132" />
        <location filename="../Strings.cpp" line="177" />
        <source>Запись не была закрыта камерой (пропало питание?). Восстановить?</source>
        <translation>The camera never finished this recording (a power cut?). Recover it?</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="133" />
        <location filename="../Strings.cpp" line="178" />
        <source>Восстановление записи…</source>
        <translation>Recovering the recording…</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="134" />
        <location filename="../Strings.cpp" line="179" />
        <source>Восстановлена: %1</source>
        <translation>Recovered: %1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="135" />
        <location filename="../Strings.cpp" line="180" />
        <source>Восстановление отменено.</source>
        <translation>Recovery cancelled.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="136" />
        <location filename="../Strings.cpp" line="181" />
        <source>В папке нет исправной записи той же камеры, по которой можно восстановить эту. Выбрать папку с такой записью?</source>
        <translation>There is no healthy recording by the same camera in this folder to recover this one from. Choose a folder that has one?</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="137" />
        <location filename="../Strings.cpp" line="182" />
        <source>Папка с исправной записью той же камеры</source>
        <translation>A folder with a healthy recording by the same camera</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="138" />
        <location filename="../Strings.cpp" line="183" />
        <source>В выбранной папке нет исправной записи того же вида.</source>
        <translation>The chosen folder has no healthy recording of the same kind.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="139" />
        <location filename="../Strings.cpp" line="184" />
        <source>Исправная запись сделана с другими настройками (другой кодек или размер кадра) и не подходит для восстановления.</source>
        <translation>The healthy recording was made with other settings (another codec or picture size) and cannot be used for the recovery.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="140" />
        <location filename="../Strings.cpp" line="185" />
        <source>В записи нет данных, которые можно восстановить.</source>
        <translation>The recording holds nothing that can be recovered.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="141" />
        <location filename="../Strings.cpp" line="186" />
        <source>Запись не удалось прочитать.</source>
        <translation>The recording could not be read.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="142" />
        <location filename="../Strings.cpp" line="187" />
        <source>Восстановленную запись не удалось сохранить: нет места, папка защищена от записи или файл уже есть.
%1</source>
        <translation>The recovered recording could not be saved: the disk is full, the folder is write-protected or the file already exists.
%1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="143" />
        <location filename="../Strings.cpp" line="188" />
        <source>Это не записи видеорегистратора (имя записи содержит drf_, evt_ или muevt_ и оканчивается на .mp4; в папке ищутся такие файлы):
%1</source>
        <translation>These are not dash camera recordings (a recording's name contains drf_, evt_ or muevt_ and ends in .mp4; a folder is searched for such files):
%1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="145" />
        <source>Сводка поездки</source>
        <translation>Drive summary</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="146" />
        <source>Начало</source>
        <translation>Start</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="147" />
        <source>Конец</source>
        <translation>End</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="148" />
        <source>Длительность</source>
        <translation>Duration</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="149" />
        <source>Записей</source>
        <translation>Recordings</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="150" />
        <source>Расстояние</source>
        <translation>Distance</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="151" />
        <source>Наибольшая скорость</source>
        <translation>Top speed</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="152" />
        <source>Средняя в движении</source>
        <translation>Average while moving</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="153" />
        <source>В движении / стоянки</source>
        <translation>Moving / stopped</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="154" />
        <source>События: %1</source>
        <translation>Events: %1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="155" />
        <source>Щелчок по событию: воспроизведение за 5 с до него</source>
        <translation>Click an event to play it from 5 s before</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="156" />
        <source>Поездка ещё читается…</source>
        <translation>Still reading the drive…</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="157" />
        <source>Запись не входит в поездку: её телеметрию не удалось прочитать.</source>
        <translation>This recording is not part of a drive: its telemetry could not be read.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="158" />
        <source>Поездка %1 – %2, записей: %3, %4 км</source>
        <translation>Drive %1 – %2, %3 recordings, %4 km</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="159" />
        <source>Событие камеры</source>
        <translation>Camera event</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="160" />
        <source>Резкое торможение</source>
        <translation>Hard braking</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="161" />
        <source>Резкий разгон</source>
        <translation>Hard acceleration</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="162" />
        <source>Удар</source>
        <translation>Impact</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="163" />
        <source>Резкий поворот</source>
        <translation>Sharp turn</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="164" />
        <source>км</source>
        <translation>km</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="166" />
        <source>миль/ч</source>
        <translation>mph</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="167" />
        <source>уз</source>
        <translation>kn</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="168" />
        <source>°/с</source>
        <translation>°/s</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="189" />
        <source>Начало фрагмента</source>
        <translation>Clip start</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="190" />
        <source>Конец фрагмента</source>
        <translation>Clip end</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="191" />
        <source>Сохранить фрагмент...</source>
        <translation>Save clip...</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="192" />
        <source>Сохранить событие...</source>
        <translation>Save event...</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="193" />
        <source>Снять отметки фрагмента</source>
        <translation>Clear clip marks</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="194" />
        <source>Сохранение фрагмента</source>
        <translation>Save clip</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="195" />
        <source>Начало:</source>
        <translation>Start:</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="196" />
        <source>Конец:</source>
        <translation>End:</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="197" />
        <source>Длительность:</source>
        <translation>Length:</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="198" />
        <source>Папка:</source>
        <translation>Folder:</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="199" />
        <source>Обзор...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="200" />
        <source>Папка для фрагмента</source>
        <translation>Folder for the clip</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="201" />
        <source>также GPX и CSV</source>
        <translation>also GPX and CSV</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="202" />
        <source>с телеметрией на кадре</source>
        <translation>with telemetry on the picture</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="203" />
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="204" />
        <source>Конец фрагмента должен быть позже его начала.</source>
        <translation>The clip's end must come after its start.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="205" />
        <source>Папка не найдена:
%1</source>
        <translation>Folder not found:
%1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="206" />
        <source>Фрагмент сохранён. Записаны файлы:
%1</source>
        <translation>Clip saved. Files written:
%1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="207" />
        <source>Фрагмент не сохранён, ни один файл не оставлен:
%1</source>
        <translation>The clip was not saved and no file was left behind:
%1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="208" />
        <source>Сохранение фрагмента отменено, ни один файл не оставлен.</source>
        <translation>Saving the clip was cancelled; no file was left behind.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="209" />
        <source>В отмеченном промежутке нет записей, которые можно сохранить.</source>
        <translation>There are no recordings to save in the marked span.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="210" />
        <source>Примечания:
%1</source>
        <translation>Notes:
%1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="211" />
        <source>Фрагмент ещё сохраняется.</source>
        <translation>The clip is still being saved.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="194" />
        <source>Архив поездок</source>
        <translation>Drive archive</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="195" />
        <source>Архив поездок…</source>
        <translation>Drive archive…</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="196" />
        <source>Сохранить карту в архив…</source>
        <translation>Save the card to the archive…</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="197" />
        <source>Машина</source>
        <translation>Vehicle</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="198" />
        <source>все</source>
        <translation>all</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="199" />
        <source>События</source>
        <translation>Events</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="200" />
        <source>Даты</source>
        <translation>Dates</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="201" />
        <source>Место</source>
        <translation>Place</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="202" />
        <source>широта, долгота</source>
        <translation>latitude, longitude</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="203" />
        <source>Радиус, м</source>
        <translation>Radius, m</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="204" />
        <source>Искать</source>
        <translation>Search</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="206" />
        <source>Поездки %1</source>
        <translation>Drives of %1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="207" />
        <source>В этот день поездок нет.</source>
        <translation>No drives on this day.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="208" />
        <source>Проездов: %1</source>
        <translation>Passes: %1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="209" />
        <source>Здесь ничего не найдено.</source>
        <translation>Nothing found here.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="210" />
        <source>Поиск…</source>
        <translation>Searching…</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="211" />
        <source>Место: широта и долгота в градусах, например 55.7512, 37.6184</source>
        <translation>Place: latitude and longitude in degrees, for example 55.7512, 37.6184</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="212" />
        <source>Архив не открывается: %1</source>
        <translation>The archive cannot be opened: %1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="213" />
        <source>Щелчок по карте: поиск проездов (край круга тянется). Двойной щелчок по строке, метке или картинке: воспроизведение за 5 с до момента</source>
        <translation>Click the map to find the passes (drag the circle's edge). Double-click a row, marker or picture to play from 5 s before the moment</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="214" />
        <source>Выберите поездку</source>
        <translation>Choose a drive</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="215" />
        <source>В архиве нет %1 записей этой карты: сохранить?</source>
        <translation>The archive lacks %1 recordings of this card: save them?</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="216" />
        <source>Папка карты для архива</source>
        <translation>The card's folder for the archive</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="217" />
        <source>Все записи этой карты уже в архиве.</source>
        <translation>Every recording of this card is in the archive already.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="218" />
        <source>Сохранение в архив: %1 из %2</source>
        <translation>Saving to the archive: %1 of %2</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="219" />
        <source>Архив: сохранено записей: %1, уже были: %2, сохранено рядом с одноимёнными: %3, не удалось: %4.</source>
        <translation>Archive: %1 recordings kept, %2 there already, %3 kept beside another of the same name, %4 failed.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="220" />
        <source>Не удалось сохранить:
%1</source>
        <translation>Could not be kept:
%1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="221" />
        <source>Сохранение в архив отменено. Записи, сохранённые до отмены (%1), остаются в архиве.</source>
        <translation>Saving to the archive was cancelled. The recordings kept before the cancel (%1) stay in the archive.</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="222" />
        <source>Архив: запись не удалась (нет места или папка защищена от записи). Сохранённое раньше не пострадало.
%1</source>
        <translation>Archive: writing failed (no room, or the folder is write-protected). What was kept before is unharmed.
%1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="222" />
        <source>Сохранены как есть, но не читаются:
%1</source>
        <translation>Kept as they are, though they cannot be read:
%1</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="223" />
        <source>не закрыта камерой</source>
        <translation>not closed by the camera</translation>
    </message>
    <message>
        <location filename="../Strings.cpp" line="224" />
        <source>не читается</source>
        <translation>cannot be read</translation>
    </message>
</context>
</TS>
