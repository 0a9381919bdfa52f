<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="en">
<context>
    <name>archive</name>
    <message>
        <location filename="../../archive/Archive.cpp" line="26"/>
        <source>cannot create the archive folder %1</source>
        <translation>не удаётся создать папку архива %1</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveDatabase.cpp" line="125"/>
        <source>the SQLite driver of Qt is missing (package libqt6sql6-sqlite)</source>
        <translation>нет драйвера SQLite для Qt (пакет libqt6sql6-sqlite)</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveDatabase.cpp" line="133"/>
        <source>cannot create the archive&apos;s index in %1: the folder is not writable</source>
        <translation>не удаётся создать указатель архива в %1: в папку нельзя записывать</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveDatabase.cpp" line="153"/>
        <location filename="../../archive/ArchiveDatabase.cpp" line="171"/>
        <source>cannot open %1: %2</source>
        <translation>не удаётся открыть %1: %2</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveDatabase.cpp" line="160"/>
        <source>%1 is not an archive&apos;s index (%2); it was left as it is</source>
        <translation>%1 — не указатель архива (%2); файл оставлен как есть</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveDatabase.cpp" line="183"/>
        <source>the PostgreSQL driver of Qt is missing (package libqt6sql6-psql)</source>
        <translation>нет драйвера PostgreSQL для Qt (пакет libqt6sql6-psql)</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveDatabase.cpp" line="190"/>
        <source>%1 does not name a database (postgresql://user@host:port/name)</source>
        <translation>%1 не называет базу данных (postgresql://пользователь@сервер:порт/имя)</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveDatabase.cpp" line="207"/>
        <source>cannot connect to %1: %2</source>
        <translation>не удаётся подключиться к %1: %2</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveDatabase.cpp" line="224"/>
        <source>%1 holds tables of another program; it was left as it is</source>
        <translation>в %1 таблицы другой программы; файл оставлен как есть</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveDatabase.cpp" line="246"/>
        <source>the archive&apos;s index was written by a newer program (schema %1, this one knows %2); it was left as it is: update the program</source>
        <translation>указатель архива записан более новой программой (схема %1, эта знает %2); он оставлен как есть: обновите программу</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveDatabase.cpp" line="254"/>
        <source>the archive&apos;s index needs an update but cannot be written</source>
        <translation>указатель архива нужно обновить, но в него нельзя записывать</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveDatabase.cpp" line="267"/>
        <source>the archive&apos;s index was written by a newer program; it was left as it is</source>
        <translation>указатель архива записан более новой программой; он оставлен как есть</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveImport.cpp" line="121"/>
        <location filename="../../archive/ArchiveImport.cpp" line="299"/>
        <source>cannot write the archive&apos;s index: %1</source>
        <translation>не удаётся записать указатель архива: %1</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveImport.cpp" line="163"/>
        <source>not a camera recording&apos;s name</source>
        <translation>это не имя записи камеры</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveImport.cpp" line="192"/>
        <source>cannot create the folder %1</source>
        <translation>не удаётся создать папку %1</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveImport.cpp" line="271"/>
        <source>cannot name %1</source>
        <translation>не удаётся дать имя %1</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveImport.cpp" line="288"/>
        <source>the archive holds another recording named %1; this one is kept beside it as %2</source>
        <translation>в архиве уже есть другая запись с именем %1; эта сохранена рядом как %2</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveImport.cpp" line="298"/>
        <source>no free name for %1</source>
        <translation>нет свободного имени для %1</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveImport.cpp" line="312"/>
        <source>cannot form the drives: %1</source>
        <translation>не удаётся составить поездки: %1</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveImport.cpp" line="351"/>
        <source>the archive in %1 cannot be written</source>
        <translation>в архив в %1 нельзя записывать</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveImport.cpp" line="357"/>
        <source>&quot;%1&quot; cannot name a vehicle (a folder name without separators)</source>
        <translation>«%1» не может быть именем машины (нужно имя папки без разделителей)</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveQueries.cpp" line="263"/>
        <source>the place or radius is out of range</source>
        <translation>место или радиус вне допустимых пределов</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveQueries.cpp" line="271"/>
        <source>nothing to look for: give a place, a time, an event kind or a speed</source>
        <translation>нечего искать: укажите место, время, вид события или скорость</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveQueries.cpp" line="350"/>
        <source>no such month</source>
        <translation>нет такого месяца</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveTypes.cpp" line="27"/>
        <source>unknown</source>
        <translation>неизвестно</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveTypes.cpp" line="32"/>
        <source>%1, exact</source>
        <translation>%1, точно</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveTypes.cpp" line="33"/>
        <source>%1, %2 s fast</source>
        <translation>%1, спешат на %2 с</translation>
    </message>
    <message>
        <location filename="../../archive/ArchiveTypes.cpp" line="34"/>
        <source>%1, %2 s slow</source>
        <translation>%1, отстают на %2 с</translation>
    </message>
    <message>
        <location filename="../../archive/VerifiedCopy.cpp" line="36"/>
        <location filename="../../archive/VerifiedCopy.cpp" line="53"/>
        <source>cannot read %1: %2</source>
        <translation>не удаётся прочитать %1: %2</translation>
    </message>
    <message>
        <location filename="../../archive/VerifiedCopy.cpp" line="40"/>
        <location filename="../../archive/VerifiedCopy.cpp" line="60"/>
        <location filename="../../archive/VerifiedCopy.cpp" line="70"/>
        <source>cannot write %1: %2</source>
        <translation>не удаётся записать %1: %2</translation>
    </message>
    <message>
        <location filename="../../archive/VerifiedCopy.cpp" line="49"/>
        <location filename="../../archive/VerifiedCopy.cpp" line="81"/>
        <source>cancelled</source>
        <translation>отменено</translation>
    </message>
    <message>
        <location filename="../../archive/VerifiedCopy.cpp" line="84"/>
        <source>the copy of %1 read back differs from the card&apos;s file</source>
        <translation>копия %1, прочитанная с диска, отличается от файла на карте</translation>
    </message>
</context>
<context>
    <name>clip</name>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="49"/>
        <source>the written clip does not open</source>
        <translation>записанный фрагмент не открывается</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="56"/>
        <source>the written clip lasts %1 s instead of %2 s</source>
        <translation>записанный фрагмент длится %1 с вместо %2 с</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="69"/>
        <source>the written clip&apos;s telemetry does not read back</source>
        <translation>телеметрия записанного фрагмента не читается</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="86"/>
        <location filename="../../clip/ClipExport.cpp" line="104"/>
        <location filename="../../clip/ClipExport.cpp" line="203"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="264"/>
        <source>cannot write %1: %2</source>
        <translation>не удаётся записать %1: %2</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="106"/>
        <source>the clip&apos;s telemetry does not read back</source>
        <translation>телеметрия фрагмента не читается</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="178"/>
        <location filename="../../clip/ClipExport.cpp" line="192"/>
        <source>cannot read %1 for its checksum</source>
        <translation>не удаётся прочитать %1 для контрольной суммы</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="232"/>
        <source>cannot write the clip&apos;s telemetry to %1</source>
        <translation>не удаётся записать телеметрию фрагмента в %1</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="245"/>
        <source>%1 gives a clip that does not play (%2)</source>
        <translation>из %1 получается фрагмент, который не воспроизводится (%2)</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="263"/>
        <source>the drawn clip was not written (%1)</source>
        <translation>фрагмент с телеметрией на кадре не записан (%1)</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="272"/>
        <source>the drawn clip was cancelled and removed; the clip is kept</source>
        <translation>запись фрагмента с телеметрией на кадре отменена, он удалён; фрагмент сохранён</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="274"/>
        <source>the drawn clip was not written (%1) and was removed; the clip is kept</source>
        <translation>фрагмент с телеметрией на кадре не записан (%1) и удалён; фрагмент сохранён</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="284"/>
        <source>export cancelled: no file was left behind</source>
        <translation>сохранение отменено, ни один файл не оставлен</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="285"/>
        <source>%1; no file was left behind</source>
        <translation>%1; ни один файл не оставлен</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="299"/>
        <source>nothing to export</source>
        <translation>сохранять нечего</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="303"/>
        <source>the folder %1 does not exist</source>
        <translation>папки %1 нет</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="329"/>
        <source>no free clip name left in %1</source>
        <translation>в папке %1 не осталось свободного имени для фрагмента</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="313"/>
        <location filename="../../clip/ClipFiles.cpp" line="83"/>
        <source>the folder %1 is gone</source>
        <translation>папка %1 пропала</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="339"/>
        <source>%1: the clip ends before it</source>
        <translation>%1: фрагмент заканчивается перед этой записью</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="367"/>
        <source>clip %1 to %2 written: %3</source>
        <translation>фрагмент с %1 по %2 записан: %3</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="373"/>
        <source> (its recordings carry no telemetry: no GPX or CSV)</source>
        <translation> (в его записях нет телеметрии, поэтому без GPX и CSV)</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="378"/>
        <source> (removed first what an earlier export left unfinished: %1)</source>
        <translation> (сначала удалено то, что не завершило прежнее сохранение: %1)</translation>
    </message>
    <message>
        <location filename="../../clip/ClipFiles.cpp" line="64"/>
        <source>cannot write in %1: %2</source>
        <translation>не удаётся записать в %1: %2</translation>
    </message>
    <message>
        <location filename="../../clip/ClipFiles.cpp" line="69"/>
        <source>cannot write in %1: too many unfinished clips</source>
        <translation>не удаётся записать в %1: слишком много незаконченных фрагментов</translation>
    </message>
    <message>
        <location filename="../../clip/ClipFiles.cpp" line="81"/>
        <source>cannot name the file %1: %2</source>
        <translation>не удаётся дать файлу имя %1: %2</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="123"/>
        <source>%1: the name carries no start time (expected prefix_YYYYMMDD_HHMMSS.mp4)</source>
        <translation>%1: в имени нет времени начала (ожидается префикс_ГГГГММДД_ЧЧММСС.mp4)</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="146"/>
        <source>%1 does not continue the recording before it: a new clip starts there</source>
        <translation>%1 не продолжает предыдущую запись: с неё начинается новый фрагмент</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="151"/>
        <source>%1 has other stream parameters (codec or picture size) than the recording before it: a new clip starts there</source>
        <translation>у %1 другие параметры потоков (кодек или размер кадра), чем у предыдущей записи: с неё начинается новый фрагмент</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="210"/>
        <source>%1 cannot be read (%2): it is left out, and the span goes on after it in a new clip (a recording the camera never closed can be recovered with zyn-recover or the viewer)</source>
        <translation>%1 не читается (%2): эта запись пропущена, фрагмент продолжается после неё отдельным клипом (запись, которую камера не закрыла, можно восстановить программой zyn-recover или в просмотрщике)</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="172"/>
        <source>none of the recordings can be read</source>
        <translation>ни одна из записей не читается</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="185"/>
        <source>%1 to %2</source>
        <translation>с %1 по %2</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="188"/>
        <source>the recordings cover %1</source>
        <translation>записи охватывают время %1</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="316"/>
        <source>no recording covers %1 to %2: %3</source>
        <translation>ни одна запись не охватывает время с %1 по %2: %3</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="230"/>
        <source>no recording holds %1: the clip starts at %2</source>
        <translation>ни одна запись не содержит %1: фрагмент начинается в %2</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="249"/>
        <source>no such file</source>
        <translation>файла нет</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="254"/>
        <source>the name carries no start time</source>
        <translation>в имени нет времени начала</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="297"/>
        <source>it holds no video or sound</source>
        <translation>в ней нет ни видео, ни звука</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="307"/>
        <source>the span is empty: its end is not after its start</source>
        <translation>фрагмент пуст: его конец не позже начала</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="322"/>
        <source>the recordings end at %1, before the span</source>
        <translation>записи кончаются в %1, раньше конца фрагмента</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="367"/>
        <source>%1 cannot be read (%2)</source>
        <translation>%1 не читается (%2)</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="59"/>
        <location filename="../../clip/StreamCopy.cpp" line="383"/>
        <source>%1 cannot be read: %2</source>
        <translation>%1 не читается: %2</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="169"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="200"/>
        <source>cannot start the MP4 writer: %1</source>
        <translation>не удаётся начать запись MP4: %1</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="180"/>
        <source>cannot set up the clip&apos;s streams</source>
        <translation>не удаётся подготовить потоки фрагмента</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="194"/>
        <location filename="../../clip/StreamCopy.cpp" line="303"/>
        <source>cannot write the clip: %1</source>
        <translation>не удаётся записать фрагмент: %1</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="254"/>
        <source>%1 stores its pictures out of display order (B-frames), which a lossless cut cannot keep whole</source>
        <translation>%1 хранит кадры не в порядке показа (B-кадры), такую запись нельзя вырезать без потерь</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="290"/>
        <source>%1: its pictures do not follow those before them</source>
        <translation>%1: кадры не продолжают предыдущие</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="339"/>
        <source>%1 has other streams than the recording before it</source>
        <translation>у %1 другие потоки, чем у предыдущей записи</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="349"/>
        <source>%1: cannot find the key frame before the start: %2</source>
        <translation>%1: не найден ключевой кадр перед началом: %2</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="367"/>
        <source>out of memory</source>
        <translation>не хватает памяти</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="412"/>
        <source>cannot finish the clip: %1</source>
        <translation>не удаётся завершить фрагмент: %1</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="426"/>
        <source>nothing to copy</source>
        <translation>копировать нечего</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="123"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="129"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="452"/>
        <source>cannot read %1: %2</source>
        <translation>не удаётся прочитать %1: %2</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="136"/>
        <source>%1 holds no picture</source>
        <translation>в %1 нет изображения</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="145"/>
        <source>cannot decode the pictures of %1</source>
        <translation>не удаётся декодировать кадры %1</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="190"/>
        <source>the clip&apos;s picture size %1 x %2 cannot be encoded</source>
        <translation>кадр фрагмента размером %1 x %2 не кодируется</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="208"/>
        <source>this FFmpeg has no H.264 encoder (libx264)</source>
        <translation>в этой сборке FFmpeg нет кодировщика H.264 (libx264)</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="233"/>
        <source>cannot start the H.264 encoder: %1</source>
        <translation>не удаётся запустить кодировщик H.264: %1</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="239"/>
        <source>cannot set up the drawn clip&apos;s picture</source>
        <translation>не удаётся подготовить изображение фрагмента с телеметрией</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="249"/>
        <source>cannot set up the drawn clip&apos;s sound</source>
        <translation>не удаётся подготовить звук фрагмента с телеметрией</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="275"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="309"/>
        <source>out of memory for a frame</source>
        <translation>не хватает памяти для кадра</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="282"/>
        <source>cannot convert the band&apos;s colours</source>
        <translation>не удаётся преобразовать цвета полосы телеметрии</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="318"/>
        <source>cannot convert the picture&apos;s colours</source>
        <translation>не удаётся преобразовать цвета кадра</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="353"/>
        <source>the H.264 encoder refused a frame: %1</source>
        <translation>кодировщик H.264 не принял кадр: %1</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="363"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="388"/>
        <source>cannot write the drawn clip: %1</source>
        <translation>не удаётся записать фрагмент с телеметрией: %1</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="369"/>
        <source>the H.264 encoder failed: %1</source>
        <translation>ошибка кодировщика H.264: %1</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="431"/>
        <source>a picture of %1 cannot be decoded: %2</source>
        <translation>кадр %1 не декодируется: %2</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="437"/>
        <source>the pictures of %1 cannot be decoded</source>
        <translation>кадры %1 не декодируются</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="462"/>
        <source>%1 holds no picture to draw on</source>
        <translation>в %1 нет изображения, на котором рисовать</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="467"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="472"/>
        <source>cannot finish %1: %2</source>
        <translation>не удаётся завершить %1: %2</translation>
    </message>
    <message>
        <location filename="../../clip/LibavInput.h" line="82"/>
        <source>its header or tables are damaged: %1</source>
        <translation>повреждены заголовок или таблицы: %1</translation>
    </message>
    <message>
        <location filename="../../clip/LibavInput.h" line="85"/>
        <source>its pictures do not decode: %1</source>
        <translation>кадры не декодируются: %1</translation>
    </message>
    <message>
        <location filename="../../clip/LibavInput.h" line="88"/>
        <source>its sound does not decode: %1</source>
        <translation>звук не декодируется: %1</translation>
    </message>
    <message>
        <location filename="../../clip/LibavInput.h" line="91"/>
        <source>its last pictures do not decode: %1</source>
        <translation>последние кадры не декодируются: %1</translation>
    </message>
</context>
<context>
    <name>recover</name>
    <message>
        <location filename="../../recover/Recovery.cpp" line="32"/>
        <source>%1 kB</source>
        <translation>%1 КБ</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="33"/>
        <source>%1 MB</source>
        <translation>%1 МБ</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="49"/>
        <source>The reference recording %1 cannot be read.</source>
        <translation>Образцовую запись %1 не удаётся прочитать.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="52"/>
        <source>The reference recording %1 has no complete index itself.</source>
        <translation>У образцовой записи %1 самой нет полного индекса.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="56"/>
        <source>The reference recording %1 has no video track.</source>
        <translation>В образцовой записи %1 нет видеодорожки.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="60"/>
        <source>The reference recording %1 uses a codec this recovery does not know (%2).</source>
        <translation>Образцовая запись %1 записана кодеком, который восстановление не знает (%2).</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="64"/>
        <source>The reference recording %1 is damaged: its sample description is not valid (%2). Choose another recording made by the same camera.</source>
        <translation>Образцовая запись %1 повреждена: описание её данных неверно (%2). Выберите другую запись той же камеры.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="69"/>
        <source>The reference recording %1 is damaged: its index tables contradict each other or the file (%2). Choose another recording made by the same camera.</source>
        <translation>Образцовая запись %1 повреждена: таблицы её индекса противоречат друг другу или файлу (%2). Выберите другую запись той же камеры.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="87"/>
        <source>The reference recording %1 is an exported clip, not one of the camera&apos;s recordings.</source>
        <translation>Образцовая запись %1 — сохранённый фрагмент, а не запись камеры.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="92"/>
        <source>The reference recording %1 is a drawn clip, not one of the camera&apos;s recordings.</source>
        <translation>Образцовая запись %1 — фрагмент с нарисованной телеметрией, а не запись камеры.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="129"/>
        <source>The reference recording&apos;s video is %1 but this recording&apos;s is %2: choose a recording made with the same settings.</source>
        <translation>Видео образцовой записи — %1, а этой записи — %2: выберите запись, сделанную с теми же настройками.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="135"/>
        <source>No complete picture was found in the recording&apos;s media data.</source>
        <translation>В данных записи не найдено ни одного целого кадра.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="140"/>
        <source>The recording&apos;s media data do not follow the reference recording %1, which has no sound: this recording most likely has. Choose a reference recorded with sound by the same camera.</source>
        <translation>Данные записи не следуют образцовой записи %1, в которой нет звука, а в этой записи он, скорее всего, есть. Выберите образцовую запись той же камеры со звуком.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="147"/>
        <source>The recording&apos;s media data do not follow the reference recording %1: no picture stands where it places the first one. Choose a reference made by the same camera with the same settings.</source>
        <translation>Данные записи не следуют образцовой записи %1: там, где по ней должен стоять первый кадр, кадра нет. Выберите образцовую запись той же камеры с теми же настройками.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="153"/>
        <source>The recording&apos;s media data stop following the reference recording %1 after their first pictures. Choose a reference made by the same camera with the same settings.</source>
        <translation>Данные записи перестают следовать образцовой записи %1 после первых кадров. Выберите образцовую запись той же камеры с теми же настройками.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="165"/>
        <source>The recovered recording would not play (%1), so it was not kept: the recording&apos;s own media data are damaged at their end.</source>
        <translation>Восстановленная запись не воспроизводилась бы (%1), поэтому она не сохранена: данные самой записи повреждены в конце.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="169"/>
        <source>The recovered recording would not play (%1), so it was not kept: the reference recording %2 does not describe this recording&apos;s data. Choose another recording made by the same camera with the same settings.</source>
        <translation>Восстановленная запись не воспроизводилась бы (%1), поэтому она не сохранена: образцовая запись %2 не описывает данные этой записи. Выберите другую запись той же камеры с теми же настройками.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="233"/>
        <location filename="../../recover/Recovery.cpp" line="265"/>
        <location filename="../../recover/Recovery.cpp" line="305"/>
        <source>The recording cannot be read.</source>
        <translation>Запись не удаётся прочитать.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="236"/>
        <source>The recording is complete: there is nothing to recover.</source>
        <translation>Запись цела: восстанавливать нечего.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="250"/>
        <source>No complete recording of the same kind lies beside this one to take the index from: choose one made by the same camera.</source>
        <translation>Рядом нет целой записи того же вида, с которой можно взять индекс: выберите запись той же камеры.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="269"/>
        <source>Neither the recording&apos;s folder nor the fallback folder is writable.</source>
        <translation>Ни в папку записи, ни в запасную папку нельзя записать.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="274"/>
        <source>%1 exists already and is left as it is.</source>
        <translation>%1 уже существует и оставлен как есть.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="284"/>
        <source>The decoders refuse the sample description of the reference recording %1: choose another recording made by the same camera.</source>
        <translation>Декодеры не принимают описание данных образцовой записи %1: выберите другую запись той же камеры.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="298"/>
        <location filename="../../recover/Recovery.cpp" line="327"/>
        <source>Recovery cancelled.</source>
        <translation>Восстановление отменено.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="301"/>
        <location filename="../../recover/Recovery.cpp" line="329"/>
        <source>The recovered recording could not be written (disk full?).</source>
        <translation>Восстановленную запись не удалось записать (диск заполнен?).</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="357"/>
        <source>The recovered recording could not be named %1.</source>
        <translation>Восстановленной записи не удалось дать имя %1.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="367"/>
        <source>Recovered %1 s of video into %2, but not all of it: the media data stop following the reference recording after %3, and %4 after that were left unread.</source>
        <translation>Восстановлено %1 с видео в %2, но не всё: после %3 данные перестают следовать образцовой записи, и следующие за этим %4 остались непрочитанными.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="374"/>
        <source>The reference has no sound; this recording most likely has: a reference with sound recovers it whole.</source>
        <translation>В образцовой записи нет звука, а в этой, скорее всего, есть: с образцовой записью со звуком она восстановится целиком.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="378"/>
        <source>Recovered %1 s of video into %2.</source>
        <translation>Восстановлено %1 с видео в %2.</translation>
    </message>
    <message>
        <location filename="../../recover/Recovery.cpp" line="383"/>
        <source>The camera reorders pictures and their order could not be read: their display times are approximate.</source>
        <translation>Камера переставляет кадры, а их порядок прочитать не удалось: время показа кадров приблизительное.</translation>
    </message>
</context>
</TS>
