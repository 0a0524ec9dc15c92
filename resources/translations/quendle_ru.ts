<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>DownloadPanel</name>
    <message>
        <source>Downloading Vorlith</source>
        <translation>Загрузка Vorlith</translation>
    </message>
</context>
<context>
    <name>ExtractingProgressWindow</name>
    <message>
        <source>Expanding</source>
        <translation>Распаковка</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Стоп</translation>
    </message>
    <message>
        <source>Stop expanding (Esc)</source>
        <translation>Остановить распаковку (Esc)</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Quendle</source>
        <translation>Quendle</translation>
    </message>
    <message>
        <source>Open an archive with Quendle, or choose File ▸ Open…, and it is expanded.</source>
        <translation>Откройте архив в Quendle или выберите «Файл ▸ Открыть…», и он будет распакован.</translation>
    </message>
    <message>
        <source>When expanding an archive</source>
        <translation>При распаковке архива</translation>
    </message>
    <message>
        <source>Expand into the folder on the right instead of beside the archive</source>
        <translation>Распаковывать в папку справа, а не рядом с архивом</translation>
    </message>
    <message>
        <source>&amp;Expand into this folder:</source>
        <translation>&amp;Распаковывать в папку:</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>Дважды щёлкните, чтобы выбрать другую папку</translation>
    </message>
    <message>
        <source>&amp;Show the expanded item in the file manager</source>
        <translation>&amp;Показать распакованное в файловом менеджере</translation>
    </message>
    <message>
        <source>&amp;After expanding:</source>
        <translation>&amp;После распаковки:</translation>
    </message>
    <message>
        <source>Do nothing</source>
        <translation>Ничего не делать</translation>
    </message>
    <message>
        <source>Move the expanded item to the Trash</source>
        <translation>Переместить распакованное в корзину</translation>
    </message>
    <message>
        <source>Quendle on the web</source>
        <translation>Quendle в интернете</translation>
    </message>
    <message>
        <source>&amp;Home Page</source>
        <translation>&amp;Домашняя страница</translation>
    </message>
    <message>
        <source>Support &amp;Tickets</source>
        <translation>&amp;Запросы в поддержку</translation>
    </message>
    <message>
        <source>Download Vorlith, our companion archiver</source>
        <translation>Скачать Vorlith — наш архиватор-компаньон</translation>
    </message>
    <message>
        <source>&amp;Download Vorlith…</source>
        <translation>&amp;Скачать Vorlith…</translation>
    </message>
    <message>
        <source>Drop an archive on Quendle to expand it.</source>
        <translation>Перетащите архив на Quendle, чтобы распаковать его.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation>&amp;Открыть…</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>В&amp;ыход</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
</context>
<context>
    <name>PasswordWindow</name>
    <message>
        <source>Password</source>
        <translation>Пароль</translation>
    </message>
    <message>
        <source>Type in password</source>
        <translation>Введите пароль</translation>
    </message>
    <message>
        <source>The password of the archive</source>
        <translation>Пароль архива</translation>
    </message>
    <message>
        <source>Wrong password. Please try again.</source>
        <translation>Неверный пароль. Попробуйте ещё раз.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Expands an archive beside it (or in the folder chosen in its window).</source>
        <translation>Распаковывает архив рядом с ним (или в папку, выбранную в окне программы).</translation>
    </message>
    <message>
        <source>archive</source>
        <translation>архив</translation>
    </message>
    <message>
        <source>The archive to expand; of several, the first is taken.</source>
        <translation>Архив для распаковки; из нескольких берётся первый.</translation>
    </message>
    <message>
        <source>[archive...]</source>
        <translation>[архив…]</translation>
    </message>
    <message>
        <source>Try &apos;quendle --help&apos; for more information.</source>
        <translation>Для справки выполните «quendle --help».</translation>
    </message>
    <message>
        <source>cannot open &quot;%1&quot;: no such file or folder</source>
        <translation>не удаётся открыть «%1»: нет такого файла или папки</translation>
    </message>
    <message>
        <source>one archive at a time: only &quot;%1&quot; is expanded</source>
        <translation>по одному архиву за раз: распаковывается только «%1»</translation>
    </message>
    <message>
        <source>Expand into &lt;folder&gt; this time, whatever the preferences say (they stay as they are).</source>
        <translation>На этот раз распаковать в &lt;папка&gt;, что бы ни говорили настройки (они не меняются).</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>папка</translation>
    </message>
</context>
<context>
    <name>quendle::Buttons</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Да</translation>
    </message>
</context>
<context>
    <name>quendle::CompanionDownload</name>
    <message>
        <source>Connecting to server</source>
        <translation>Подключение к серверу</translation>
    </message>
    <message>
        <source>Connected to server</source>
        <translation>Подключено к серверу</translation>
    </message>
    <message>
        <source>Receiving data</source>
        <translation>Получение данных</translation>
    </message>
    <message>
        <source>Update Downloaded</source>
        <translation>Обновление загружено</translation>
    </message>
    <message>
        <source>Vorlith app will be found on the newly opened disk image.</source>
        <translation>Приложение Vorlith находится в только что открытом образе диска.</translation>
    </message>
    <message>
        <source>Unable to Download</source>
        <translation>Не удаётся загрузить</translation>
    </message>
    <message>
        <source>Quendle was not able to download Vorlith app from the server.</source>
        <translation>Quendle не удалось загрузить приложение Vorlith с сервера.</translation>
    </message>
    <message>
        <source>Vorlith app was downloaded to &quot;%1&quot;, but the disk image could not be opened here.</source>
        <translation>Приложение Vorlith загружено в «%1», но открыть образ диска здесь не удалось.</translation>
    </message>
</context>
<context>
    <name>quendle::DesktopSeam</name>
    <message>
        <source>Archives (%1)</source>
        <translation>Архивы (%1)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Все файлы (*)</translation>
    </message>
    <message>
        <source>Answer [1-%1]: </source>
        <translation>Ответ [1–%1]: </translation>
    </message>
    <message>
        <source>(no display and no terminal: answered &quot;%1&quot;)</source>
        <translation>(нет ни экрана, ни терминала: выбран ответ «%1»)</translation>
    </message>
</context>
<context>
    <name>quendle::ExpansionController</name>
    <message>
        <source>The archiver exited with status %1.</source>
        <translation>Архиватор завершился с кодом %1.</translation>
    </message>
    <message>
        <source>Cannot Expand Archive.</source>
        <translation>Не удаётся распаковать архив.</translation>
    </message>
    <message>
        <source>Type in password for %1</source>
        <translation>Введите пароль для «%1»</translation>
    </message>
    <message>
        <source>Extracting %1</source>
        <translation>Распаковка «%1»</translation>
    </message>
    <message>
        <source>Quendle.</source>
        <translation>Quendle.</translation>
    </message>
    <message>
        <source>Quendle extracts some archive. Please, wait for end of the operation and try again.</source>
        <translation>Quendle уже распаковывает архив. Дождитесь окончания операции и повторите попытку.</translation>
    </message>
    <message>
        <source>An item named &quot;%1&quot; already exists.</source>
        <translation>Объект с именем «%1» уже существует.</translation>
    </message>
    <message>
        <source>Do you want to replace it with the one you’re extracting?</source>
        <translation>Заменить его распаковываемым?</translation>
    </message>
    <message>
        <source>Cannot Start the Archiver.</source>
        <translation>Не удаётся запустить архиватор.</translation>
    </message>
    <message>
        <source>What was expanded at &quot;%1&quot; is incomplete.</source>
        <translation>То, что распаковано в «%1», неполно.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not an archive.</source>
        <translation>«%1» — это папка, а не архив.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is empty.</source>
        <translation>«%1» пуст.</translation>
    </message>
    <message>
        <source>The archive holds no files or folders, so there is nothing to expand.</source>
        <translation>В архиве нет ни файлов, ни папок, распаковывать нечего.</translation>
    </message>
    <message>
        <source>It holds the archive being expanded.</source>
        <translation>В нём находится распаковываемый архив.</translation>
    </message>
    <message>
        <source>Nothing was extracted, and nothing of yours was changed.</source>
        <translation>Ничего не распаковано, ваши файлы не изменены.</translation>
    </message>
    <message>
        <source>Nothing was extracted. &quot;%1&quot; is in the Trash, where you can put it back from.</source>
        <translation>Ничего не распаковано. «%1» находится в корзине, откуда его можно восстановить.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be moved to the Trash.</source>
        <translation>Не удалось переместить «%1» в корзину.</translation>
    </message>
</context>
<context>
    <name>quendle::ExtractingProgressWindow</name>
    <message>
        <source>Expansion progress</source>
        <translation>Ход распаковки</translation>
    </message>
    <message>
        <source>Items of the archive that have appeared on disk</source>
        <translation>Объекты архива, уже записанные на диск</translation>
    </message>
</context>
<context>
    <name>quendle::FileManager</name>
    <message>
        <source>Warning</source>
        <translation>Предупреждение</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; will be deleted immediately.
Are you sure you want to continue?</source>
        <translation>Файл «%1» будет удалён безвозвратно.
Продолжить?</translation>
    </message>
    <message>
        <source>Cannot Trash Source Files.</source>
        <translation>Не удаётся переместить исходные файлы в корзину.</translation>
    </message>
    <message>
        <source>You are not allowed to move items out of the folder &quot;%1&quot;.</source>
        <translation>У вас нет прав перемещать объекты из папки «%1».</translation>
    </message>
    <message>
        <source>Its disk has no Trash for you, and none can be made in &quot;%1&quot;.</source>
        <translation>На его диске нет вашей корзины, и создать её в «%1» нельзя.</translation>
    </message>
    <message>
        <source>It was not deleted.</source>
        <translation>Он не был удалён.</translation>
    </message>
</context>
<context>
    <name>quendle::OpenPanel</name>
    <message>
        <source>Choose a file object</source>
        <translation>Выбор объекта</translation>
    </message>
    <message>
        <source>Choose</source>
        <translation>Выбрать</translation>
    </message>
</context>
<context>
    <name>quendle::PathControl</name>
    <message>
        <source>Folder to expand into</source>
        <translation>Папка для распаковки</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>Дважды щёлкните, чтобы выбрать другую папку</translation>
    </message>
    <message>
        <source>%1. Press Space to choose another folder.</source>
        <translation>%1. Нажмите «Пробел», чтобы выбрать другую папку.</translation>
    </message>
</context>
</TS>
