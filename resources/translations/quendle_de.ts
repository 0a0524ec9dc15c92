<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>DownloadPanel</name>
    <message>
        <source>Downloading Vorlith</source>
        <translation>Vorlith wird heruntergeladen</translation>
    </message>
</context>
<context>
    <name>ExtractingProgressWindow</name>
    <message>
        <source>Expanding</source>
        <translation>Wird entpackt</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Stop expanding (Esc)</source>
        <translation>Entpacken stoppen (Esc)</translation>
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
        <translation>Öffnen Sie ein Archiv mit Quendle oder wählen Sie Datei ▸ Öffnen…, und es wird entpackt.</translation>
    </message>
    <message>
        <source>When expanding an archive</source>
        <translation>Beim Entpacken eines Archivs</translation>
    </message>
    <message>
        <source>Expand into the folder on the right instead of beside the archive</source>
        <translation>In den Ordner rechts entpacken statt neben das Archiv</translation>
    </message>
    <message>
        <source>&amp;Expand into this folder:</source>
        <translation>In diesen Ordner &amp;entpacken:</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>Doppelklicken, um einen anderen Ordner zu wählen</translation>
    </message>
    <message>
        <source>&amp;Show the expanded item in the file manager</source>
        <translation>Entpacktes Objekt im Dateimanager &amp;anzeigen</translation>
    </message>
    <message>
        <source>&amp;After expanding:</source>
        <translation>&amp;Nach dem Entpacken:</translation>
    </message>
    <message>
        <source>Do nothing</source>
        <translation>Nichts tun</translation>
    </message>
    <message>
        <source>Move the expanded item to the Trash</source>
        <translation>Entpacktes Objekt in den Papierkorb verschieben</translation>
    </message>
    <message>
        <source>Quendle on the web</source>
        <translation>Quendle im Web</translation>
    </message>
    <message>
        <source>&amp;Home Page</source>
        <translation>&amp;Homepage</translation>
    </message>
    <message>
        <source>Support &amp;Tickets</source>
        <translation>Support-&amp;Tickets</translation>
    </message>
    <message>
        <source>Download Vorlith, our companion archiver</source>
        <translation>Vorlith herunterladen, unser Begleitprogramm zum Packen</translation>
    </message>
    <message>
        <source>&amp;Download Vorlith…</source>
        <translation>Vorlith &amp;herunterladen…</translation>
    </message>
    <message>
        <source>Drop an archive on Quendle to expand it.</source>
        <translation>Ziehen Sie ein Archiv auf Quendle, um es zu entpacken.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation>Ö&amp;ffnen…</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
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
        <translation>Passwort</translation>
    </message>
    <message>
        <source>Type in password</source>
        <translation>Passwort eingeben</translation>
    </message>
    <message>
        <source>The password of the archive</source>
        <translation>Das Passwort des Archivs</translation>
    </message>
    <message>
        <source>Wrong password. Please try again.</source>
        <translation>Falsches Passwort. Bitte versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
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
        <translation>Entpackt ein Archiv an seinem Ort (oder in den im Fenster gewählten Ordner).</translation>
    </message>
    <message>
        <source>archive</source>
        <translation>Archiv</translation>
    </message>
    <message>
        <source>The archive to expand; of several, the first is taken.</source>
        <translation>Das zu entpackende Archiv; von mehreren wird das erste genommen.</translation>
    </message>
    <message>
        <source>[archive...]</source>
        <translation>[Archiv…]</translation>
    </message>
    <message>
        <source>Try &apos;quendle --help&apos; for more information.</source>
        <translation>Weitere Informationen erhalten Sie mit „quendle --help“.</translation>
    </message>
    <message>
        <source>cannot open &quot;%1&quot;: no such file or folder</source>
        <translation>„%1“ kann nicht geöffnet werden: Datei oder Ordner nicht vorhanden</translation>
    </message>
    <message>
        <source>one archive at a time: only &quot;%1&quot; is expanded</source>
        <translation>immer nur ein Archiv: nur „%1“ wird entpackt</translation>
    </message>
    <message>
        <source>Expand into &lt;folder&gt; this time, whatever the preferences say (they stay as they are).</source>
        <translation>Dieses Mal in &lt;Ordner&gt; entpacken, unabhängig von den Einstellungen (sie bleiben, wie sie sind).</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>Ordner</translation>
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
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
</context>
<context>
    <name>quendle::CompanionDownload</name>
    <message>
        <source>Connecting to server</source>
        <translation>Verbindung zum Server wird hergestellt</translation>
    </message>
    <message>
        <source>Connected to server</source>
        <translation>Mit dem Server verbunden</translation>
    </message>
    <message>
        <source>Receiving data</source>
        <translation>Daten werden empfangen</translation>
    </message>
    <message>
        <source>Update Downloaded</source>
        <translation>Update heruntergeladen</translation>
    </message>
    <message>
        <source>Vorlith app will be found on the newly opened disk image.</source>
        <translation>Die App Vorlith befindet sich auf dem soeben geöffneten Disk-Image.</translation>
    </message>
    <message>
        <source>Unable to Download</source>
        <translation>Herunterladen nicht möglich</translation>
    </message>
    <message>
        <source>Quendle was not able to download Vorlith app from the server.</source>
        <translation>Quendle konnte die App Vorlith nicht vom Server herunterladen.</translation>
    </message>
    <message>
        <source>Vorlith app was downloaded to &quot;%1&quot;, but the disk image could not be opened here.</source>
        <translation>Die App Vorlith wurde nach „%1“ heruntergeladen, aber das Disk-Image kann hier nicht geöffnet werden.</translation>
    </message>
</context>
<context>
    <name>quendle::DesktopSeam</name>
    <message>
        <source>Archives (%1)</source>
        <translation>Archive (%1)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Answer [1-%1]: </source>
        <translation>Antwort [1–%1]: </translation>
    </message>
    <message>
        <source>(no display and no terminal: answered &quot;%1&quot;)</source>
        <translation>(kein Bildschirm und kein Terminal: mit „%1“ beantwortet)</translation>
    </message>
</context>
<context>
    <name>quendle::ExpansionController</name>
    <message>
        <source>The archiver exited with status %1.</source>
        <translation>Das Packprogramm wurde mit dem Status %1 beendet.</translation>
    </message>
    <message>
        <source>Cannot Expand Archive.</source>
        <translation>Das Archiv kann nicht entpackt werden.</translation>
    </message>
    <message>
        <source>Type in password for %1</source>
        <translation>Passwort für „%1“ eingeben</translation>
    </message>
    <message>
        <source>Extracting %1</source>
        <translation>„%1“ wird entpackt</translation>
    </message>
    <message>
        <source>Quendle.</source>
        <translation>Quendle.</translation>
    </message>
    <message>
        <source>Quendle extracts some archive. Please, wait for end of the operation and try again.</source>
        <translation>Quendle entpackt gerade ein Archiv. Bitte warten Sie, bis der Vorgang beendet ist, und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>An item named &quot;%1&quot; already exists.</source>
        <translation>Ein Objekt namens „%1“ ist bereits vorhanden.</translation>
    </message>
    <message>
        <source>Do you want to replace it with the one you’re extracting?</source>
        <translation>Möchten Sie es durch das Objekt ersetzen, das gerade entpackt wird?</translation>
    </message>
    <message>
        <source>Cannot Start the Archiver.</source>
        <translation>Das Packprogramm kann nicht gestartet werden.</translation>
    </message>
    <message>
        <source>What was expanded at &quot;%1&quot; is incomplete.</source>
        <translation>Was unter „%1“ entpackt wurde, ist unvollständig.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not an archive.</source>
        <translation>„%1“ ist ein Ordner, kein Archiv.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is empty.</source>
        <translation>„%1“ ist leer.</translation>
    </message>
    <message>
        <source>The archive holds no files or folders, so there is nothing to expand.</source>
        <translation>Das Archiv enthält weder Dateien noch Ordner, es gibt also nichts zu entpacken.</translation>
    </message>
    <message>
        <source>It holds the archive being expanded.</source>
        <translation>Es enthält das Archiv, das entpackt wird.</translation>
    </message>
    <message>
        <source>Nothing was extracted, and nothing of yours was changed.</source>
        <translation>Es wurde nichts entpackt und nichts von Ihren Daten verändert.</translation>
    </message>
    <message>
        <source>Nothing was extracted. &quot;%1&quot; is in the Trash, where you can put it back from.</source>
        <translation>Es wurde nichts entpackt. „%1“ liegt im Papierkorb und kann von dort wiederhergestellt werden.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be moved to the Trash.</source>
        <translation>„%1“ konnte nicht in den Papierkorb verschoben werden.</translation>
    </message>
</context>
<context>
    <name>quendle::ExtractingProgressWindow</name>
    <message>
        <source>Expansion progress</source>
        <translation>Fortschritt des Entpackens</translation>
    </message>
    <message>
        <source>Items of the archive that have appeared on disk</source>
        <translation>Objekte des Archivs, die bereits auf dem Datenträger liegen</translation>
    </message>
</context>
<context>
    <name>quendle::FileManager</name>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; will be deleted immediately.
Are you sure you want to continue?</source>
        <translation>Die Datei „%1“ wird sofort gelöscht.
Möchten Sie wirklich fortfahren?</translation>
    </message>
    <message>
        <source>Cannot Trash Source Files.</source>
        <translation>Die Quelldateien können nicht in den Papierkorb verschoben werden.</translation>
    </message>
    <message>
        <source>You are not allowed to move items out of the folder &quot;%1&quot;.</source>
        <translation>Sie dürfen keine Objekte aus dem Ordner „%1“ verschieben.</translation>
    </message>
    <message>
        <source>Its disk has no Trash for you, and none can be made in &quot;%1&quot;.</source>
        <translation>Auf seinem Datenträger gibt es keinen Papierkorb für Sie, und in „%1“ kann keiner angelegt werden.</translation>
    </message>
    <message>
        <source>It was not deleted.</source>
        <translation>Es wurde nicht gelöscht.</translation>
    </message>
</context>
<context>
    <name>quendle::OpenPanel</name>
    <message>
        <source>Choose a file object</source>
        <translation>Objekt auswählen</translation>
    </message>
    <message>
        <source>Choose</source>
        <translation>Auswählen</translation>
    </message>
</context>
<context>
    <name>quendle::PathControl</name>
    <message>
        <source>Folder to expand into</source>
        <translation>Zielordner zum Entpacken</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>Doppelklicken, um einen anderen Ordner zu wählen</translation>
    </message>
    <message>
        <source>%1. Press Space to choose another folder.</source>
        <translation>%1. Drücken Sie die Leertaste, um einen anderen Ordner zu wählen.</translation>
    </message>
</context>
</TS>
