<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="en">
<context>
    <name>clip</name>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="47"/>
        <source>the written clip does not open</source>
        <translation>записанный фрагмент не открывается</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="54"/>
        <source>the written clip lasts %1 s instead of %2 s</source>
        <translation>записанный фрагмент длится %1 с вместо %2 с</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="67"/>
        <source>the written clip&apos;s telemetry does not read back</source>
        <translation>телеметрия записанного фрагмента не читается</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="84"/>
        <location filename="../../clip/ClipExport.cpp" line="102"/>
        <location filename="../../clip/ClipExport.cpp" line="191"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="228"/>
        <source>cannot write %1: %2</source>
        <translation>не удаётся записать %1: %2</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="104"/>
        <source>the clip&apos;s telemetry does not read back</source>
        <translation>телеметрия фрагмента не читается</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="179"/>
        <source>cannot read %1 for its checksum</source>
        <translation>не удаётся прочитать %1 для контрольной суммы</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="215"/>
        <source>cannot write the clip&apos;s telemetry to %1</source>
        <translation>не удаётся записать телеметрию фрагмента в %1</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="235"/>
        <source>export cancelled: no file was left behind</source>
        <translation>сохранение отменено, ни один файл не оставлен</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="236"/>
        <source>%1; no file was left behind</source>
        <translation>%1; ни один файл не оставлен</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="250"/>
        <source>nothing to export</source>
        <translation>сохранять нечего</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="254"/>
        <source>the folder %1 does not exist</source>
        <translation>папки %1 нет</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="259"/>
        <source>no free clip name left in %1</source>
        <translation>в папке %1 не осталось свободного имени для фрагмента</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="270"/>
        <location filename="../../clip/ClipFiles.cpp" line="62"/>
        <source>the folder %1 is gone</source>
        <translation>папка %1 пропала</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="310"/>
        <source>clip %1 to %2 written: %3</source>
        <translation>фрагмент с %1 по %2 записан: %3</translation>
    </message>
    <message>
        <location filename="../../clip/ClipExport.cpp" line="313"/>
        <source> (its recordings carry no telemetry: no GPX or CSV)</source>
        <translation> (в его записях нет телеметрии, поэтому без GPX и CSV)</translation>
    </message>
    <message>
        <location filename="../../clip/ClipFiles.cpp" line="43"/>
        <source>cannot write in %1: %2</source>
        <translation>не удаётся записать в %1: %2</translation>
    </message>
    <message>
        <location filename="../../clip/ClipFiles.cpp" line="48"/>
        <source>cannot write in %1: too many unfinished clips</source>
        <translation>не удаётся записать в %1: слишком много незаконченных фрагментов</translation>
    </message>
    <message>
        <location filename="../../clip/ClipFiles.cpp" line="60"/>
        <source>cannot name the file %1: %2</source>
        <translation>не удаётся дать файлу имя %1: %2</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="113"/>
        <source>%1: the name carries no start time (expected prefix_YYYYMMDD_HHMMSS.mp4)</source>
        <translation>%1: в имени нет времени начала (ожидается префикс_ГГГГММДД_ЧЧММСС.mp4)</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="139"/>
        <source>%1 does not continue the recording before it: a new clip starts there</source>
        <translation>%1 не продолжает предыдущую запись: с неё начинается новый фрагмент</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="144"/>
        <source>%1 has other stream parameters (codec or picture size) than the recording before it: a new clip starts there</source>
        <translation>у %1 другие параметры потоков (кодек или размер кадра), чем у предыдущей записи: с неё начинается новый фрагмент</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="211"/>
        <source>%1 cannot be read (%2): it is left out, and the span goes on after it in a new clip (a recording the camera never closed can be recovered with zyn-recover or the viewer)</source>
        <translation>%1 не читается (%2): эта запись пропущена, фрагмент продолжается после неё отдельным клипом (запись, которую камера не закрыла, можно восстановить программой zyn-recover или в просмотрщике)</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="174"/>
        <source>none of the recordings can be read</source>
        <translation>ни одна из записей не читается</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="185"/>
        <source>%1 to %2</source>
        <translation>с %1 по %2</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="189"/>
        <source>the recordings cover %1</source>
        <translation>записи охватывают время %1</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="310"/>
        <source>no recording covers %1 to %2: %3</source>
        <translation>ни одна запись не охватывает время с %1 по %2: %3</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="181"/>
        <source>no recording holds %1: the clip starts at %2</source>
        <translation>ни одна запись не содержит %1: фрагмент начинается в %2</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="220"/>
        <source>no such file</source>
        <translation>файла нет</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="225"/>
        <source>the name carries no start time</source>
        <translation>в имени нет времени начала</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="262"/>
        <source>it holds no video or sound</source>
        <translation>в ней нет ни видео, ни звука</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="272"/>
        <source>the span is empty: its end is not after its start</source>
        <translation>фрагмент пуст: его конец не позже начала</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="282"/>
        <source>the recordings end at %1, before the span</source>
        <translation>записи кончаются в %1, раньше конца фрагмента</translation>
    </message>
    <message>
        <location filename="../../clip/ClipSpan.cpp" line="327"/>
        <source>%1 cannot be read (%2)</source>
        <translation>%1 не читается (%2)</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="59"/>
        <location filename="../../clip/StreamCopy.cpp" line="293"/>
        <source>%1 cannot be read: %2</source>
        <translation>%1 не читается: %2</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="119"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="166"/>
        <source>cannot start the MP4 writer: %1</source>
        <translation>не удаётся начать запись MP4: %1</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="130"/>
        <source>cannot set up the clip&apos;s streams</source>
        <translation>не удаётся подготовить потоки фрагмента</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="144"/>
        <location filename="../../clip/StreamCopy.cpp" line="215"/>
        <source>cannot write the clip: %1</source>
        <translation>не удаётся записать фрагмент: %1</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="183"/>
        <source>%1 stores its pictures out of display order (B-frames), which a lossless cut cannot keep whole</source>
        <translation>%1 хранит кадры не в порядке показа (B-кадры), такую запись нельзя вырезать без потерь</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="204"/>
        <source>%1: its pictures do not follow those before them</source>
        <translation>%1: кадры не продолжают предыдущие</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="249"/>
        <source>%1 has other streams than the recording before it</source>
        <translation>у %1 другие потоки, чем у предыдущей записи</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="259"/>
        <source>%1: cannot find the key frame before the start: %2</source>
        <translation>%1: не найден ключевой кадр перед началом: %2</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="277"/>
        <source>out of memory</source>
        <translation>не хватает памяти</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="327"/>
        <source>cannot finish the clip: %1</source>
        <translation>не удаётся завершить фрагмент: %1</translation>
    </message>
    <message>
        <location filename="../../clip/StreamCopy.cpp" line="340"/>
        <source>nothing to copy</source>
        <translation>копировать нечего</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="118"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="124"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="407"/>
        <source>cannot read %1: %2</source>
        <translation>не удаётся прочитать %1: %2</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="131"/>
        <source>%1 holds no picture</source>
        <translation>в %1 нет изображения</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="140"/>
        <source>cannot decode the pictures of %1</source>
        <translation>не удаётся декодировать кадры %1</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="156"/>
        <source>the clip&apos;s picture size %1 x %2 cannot be encoded</source>
        <translation>кадр фрагмента размером %1 x %2 не кодируется</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="174"/>
        <source>this FFmpeg has no H.264 encoder (libx264)</source>
        <translation>в этой сборке FFmpeg нет кодировщика H.264 (libx264)</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="197"/>
        <source>cannot start the H.264 encoder: %1</source>
        <translation>не удаётся запустить кодировщик H.264: %1</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="203"/>
        <source>cannot set up the drawn clip&apos;s picture</source>
        <translation>не удаётся подготовить изображение фрагмента с телеметрией</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="213"/>
        <source>cannot set up the drawn clip&apos;s sound</source>
        <translation>не удаётся подготовить звук фрагмента с телеметрией</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="239"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="270"/>
        <source>out of memory for a frame</source>
        <translation>не хватает памяти для кадра</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="246"/>
        <source>cannot convert the band&apos;s colours</source>
        <translation>не удаётся преобразовать цвета полосы телеметрии</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="279"/>
        <source>cannot convert the picture&apos;s colours</source>
        <translation>не удаётся преобразовать цвета кадра</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="308"/>
        <source>the H.264 encoder refused a frame: %1</source>
        <translation>кодировщик H.264 не принял кадр: %1</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="318"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="343"/>
        <source>cannot write the drawn clip: %1</source>
        <translation>не удаётся записать фрагмент с телеметрией: %1</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="324"/>
        <source>the H.264 encoder failed: %1</source>
        <translation>ошибка кодировщика H.264: %1</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="386"/>
        <source>a picture of %1 cannot be decoded: %2</source>
        <translation>кадр %1 не декодируется: %2</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="392"/>
        <source>the pictures of %1 cannot be decoded</source>
        <translation>кадры %1 не декодируются</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="417"/>
        <source>%1 holds no picture to draw on</source>
        <translation>в %1 нет изображения, на котором рисовать</translation>
    </message>
    <message>
        <location filename="../../overlay/OverlayVideo.cpp" line="422"/>
        <location filename="../../overlay/OverlayVideo.cpp" line="427"/>
        <source>cannot finish %1: %2</source>
        <translation>не удаётся завершить %1: %2</translation>
    </message>
</context>
</TS>
