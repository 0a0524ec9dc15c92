<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>DownloadPanel</name>
    <message>
        <source>Downloading Vorlith</source>
        <translation>Descargando Vorlith</translation>
    </message>
</context>
<context>
    <name>ExtractingProgressWindow</name>
    <message>
        <source>Expanding</source>
        <translation>Extrayendo</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Detener</translation>
    </message>
    <message>
        <source>Stop expanding (Esc)</source>
        <translation>Detener la extracción (Esc)</translation>
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
        <translation>Abra un archivo comprimido con Quendle o elija Archivo ▸ Abrir… y se extraerá.</translation>
    </message>
    <message>
        <source>When expanding an archive</source>
        <translation>Al extraer un archivo comprimido</translation>
    </message>
    <message>
        <source>Expand into the folder on the right instead of beside the archive</source>
        <translation>Extraer en la carpeta de la derecha en lugar de junto al archivo comprimido</translation>
    </message>
    <message>
        <source>&amp;Expand into this folder:</source>
        <translation>&amp;Extraer en esta carpeta:</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>Haga doble clic para elegir otra carpeta</translation>
    </message>
    <message>
        <source>&amp;Show the expanded item in the file manager</source>
        <translation>&amp;Mostrar el elemento extraído en el gestor de archivos</translation>
    </message>
    <message>
        <source>&amp;After expanding:</source>
        <translation>&amp;Después de extraer:</translation>
    </message>
    <message>
        <source>Do nothing</source>
        <translation>No hacer nada</translation>
    </message>
    <message>
        <source>Move the expanded item to the Trash</source>
        <translation>Mover el elemento extraído a la papelera</translation>
    </message>
    <message>
        <source>Quendle on the web</source>
        <translation>Quendle en la web</translation>
    </message>
    <message>
        <source>&amp;Home Page</source>
        <translation>Página &amp;principal</translation>
    </message>
    <message>
        <source>Support &amp;Tickets</source>
        <translation>&amp;Tickets de soporte</translation>
    </message>
    <message>
        <source>Download Vorlith, our companion archiver</source>
        <translation>Descargar Vorlith, nuestro compresor complementario</translation>
    </message>
    <message>
        <source>&amp;Download Vorlith…</source>
        <translation>&amp;Descargar Vorlith…</translation>
    </message>
    <message>
        <source>Drop an archive on Quendle to expand it.</source>
        <translation>Suelte un archivo comprimido sobre Quendle para extraerlo.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Archivo</translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation>&amp;Abrir…</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Salir</translation>
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
        <translation>Contraseña</translation>
    </message>
    <message>
        <source>Type in password</source>
        <translation>Escriba la contraseña</translation>
    </message>
    <message>
        <source>The password of the archive</source>
        <translation>La contraseña del archivo comprimido</translation>
    </message>
    <message>
        <source>Wrong password. Please try again.</source>
        <translation>Contraseña incorrecta. Inténtelo de nuevo.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Expands an archive beside it (or in the folder chosen in its window).</source>
        <translation>Extrae un archivo comprimido junto a él (o en la carpeta elegida en su ventana).</translation>
    </message>
    <message>
        <source>archive</source>
        <translation>archivo</translation>
    </message>
    <message>
        <source>The archive to expand; of several, the first is taken.</source>
        <translation>El archivo comprimido que se extraerá; si hay varios, se toma el primero.</translation>
    </message>
    <message>
        <source>[archive...]</source>
        <translation>[archivo…]</translation>
    </message>
    <message>
        <source>Try &apos;quendle --help&apos; for more information.</source>
        <translation>Pruebe «quendle --help» para más información.</translation>
    </message>
    <message>
        <source>cannot open &quot;%1&quot;: no such file or folder</source>
        <translation>no se puede abrir «%1»: no existe el archivo o la carpeta</translation>
    </message>
    <message>
        <source>one archive at a time: only &quot;%1&quot; is expanded</source>
        <translation>un archivo cada vez: solo se descomprime «%1»</translation>
    </message>
    <message>
        <source>Expand into &lt;folder&gt; this time, whatever the preferences say (they stay as they are).</source>
        <translation>Descomprimir esta vez en &lt;carpeta&gt;, digan lo que digan las preferencias (no se modifican).</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>carpeta</translation>
    </message>
</context>
<context>
    <name>quendle::Buttons</name>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Sí</translation>
    </message>
</context>
<context>
    <name>quendle::CompanionDownload</name>
    <message>
        <source>Connecting to server</source>
        <translation>Conectando con el servidor</translation>
    </message>
    <message>
        <source>Connected to server</source>
        <translation>Conectado al servidor</translation>
    </message>
    <message>
        <source>Receiving data</source>
        <translation>Recibiendo datos</translation>
    </message>
    <message>
        <source>Update Downloaded</source>
        <translation>Actualización descargada</translation>
    </message>
    <message>
        <source>Vorlith app will be found on the newly opened disk image.</source>
        <translation>La aplicación Vorlith está en la imagen de disco que se acaba de abrir.</translation>
    </message>
    <message>
        <source>Unable to Download</source>
        <translation>No se puede descargar</translation>
    </message>
    <message>
        <source>Quendle was not able to download Vorlith app from the server.</source>
        <translation>Quendle no ha podido descargar la aplicación Vorlith del servidor.</translation>
    </message>
    <message>
        <source>Vorlith app was downloaded to &quot;%1&quot;, but the disk image could not be opened here.</source>
        <translation>La aplicación Vorlith se descargó en «%1», pero la imagen de disco no se puede abrir aquí.</translation>
    </message>
</context>
<context>
    <name>quendle::DesktopSeam</name>
    <message>
        <source>Archives (%1)</source>
        <translation>Archivos comprimidos (%1)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Todos los archivos (*)</translation>
    </message>
    <message>
        <source>Answer [1-%1]: </source>
        <translation>Respuesta [1-%1]: </translation>
    </message>
    <message>
        <source>(no display and no terminal: answered &quot;%1&quot;)</source>
        <translation>(sin pantalla ni terminal: se respondió «%1»)</translation>
    </message>
</context>
<context>
    <name>quendle::ExpansionController</name>
    <message>
        <source>The archiver exited with status %1.</source>
        <translation>El compresor terminó con el estado %1.</translation>
    </message>
    <message>
        <source>Cannot Expand Archive.</source>
        <translation>No se puede extraer el archivo comprimido.</translation>
    </message>
    <message>
        <source>Type in password for %1</source>
        <translation>Escriba la contraseña de «%1»</translation>
    </message>
    <message>
        <source>Extracting %1</source>
        <translation>Extrayendo «%1»</translation>
    </message>
    <message>
        <source>Quendle.</source>
        <translation>Quendle.</translation>
    </message>
    <message>
        <source>Quendle extracts some archive. Please, wait for end of the operation and try again.</source>
        <translation>Quendle está extrayendo un archivo comprimido. Espere a que termine la operación e inténtelo de nuevo.</translation>
    </message>
    <message>
        <source>An item named &quot;%1&quot; already exists.</source>
        <translation>Ya existe un elemento llamado «%1».</translation>
    </message>
    <message>
        <source>Do you want to replace it with the one you’re extracting?</source>
        <translation>¿Desea reemplazarlo por el que está extrayendo?</translation>
    </message>
    <message>
        <source>Cannot Start the Archiver.</source>
        <translation>No se puede iniciar el compresor.</translation>
    </message>
    <message>
        <source>What was expanded at &quot;%1&quot; is incomplete.</source>
        <translation>Lo descomprimido en «%1» está incompleto.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not an archive.</source>
        <translation>«%1» es una carpeta, no un archivo comprimido.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is empty.</source>
        <translation>«%1» está vacío.</translation>
    </message>
    <message>
        <source>The archive holds no files or folders, so there is nothing to expand.</source>
        <translation>El archivo no contiene archivos ni carpetas, así que no hay nada que descomprimir.</translation>
    </message>
    <message>
        <source>It holds the archive being expanded.</source>
        <translation>Contiene el archivo que se está descomprimiendo.</translation>
    </message>
    <message>
        <source>Nothing was extracted, and nothing of yours was changed.</source>
        <translation>No se ha descomprimido nada y no se ha modificado nada suyo.</translation>
    </message>
    <message>
        <source>Nothing was extracted. &quot;%1&quot; is in the Trash, where you can put it back from.</source>
        <translation>No se ha descomprimido nada. «%1» está en la papelera, desde donde puede restaurarlo.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be moved to the Trash.</source>
        <translation>No se ha podido mover «%1» a la papelera.</translation>
    </message>
</context>
<context>
    <name>quendle::ExtractingProgressWindow</name>
    <message>
        <source>Expansion progress</source>
        <translation>Progreso de la extracción</translation>
    </message>
    <message>
        <source>Items of the archive that have appeared on disk</source>
        <translation>Elementos del archivo comprimido que ya están en el disco</translation>
    </message>
</context>
<context>
    <name>quendle::FileManager</name>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; will be deleted immediately.
Are you sure you want to continue?</source>
        <translation>El archivo «%1» se eliminará de inmediato.
¿Seguro que desea continuar?</translation>
    </message>
    <message>
        <source>Cannot Trash Source Files.</source>
        <translation>No se pueden mover los archivos de origen a la papelera.</translation>
    </message>
    <message>
        <source>You are not allowed to move items out of the folder &quot;%1&quot;.</source>
        <translation>No tiene permiso para mover elementos fuera de la carpeta «%1».</translation>
    </message>
    <message>
        <source>Its disk has no Trash for you, and none can be made in &quot;%1&quot;.</source>
        <translation>Su disco no tiene papelera para usted y no se puede crear ninguna en «%1».</translation>
    </message>
    <message>
        <source>It was not deleted.</source>
        <translation>No se ha eliminado.</translation>
    </message>
</context>
<context>
    <name>quendle::OpenPanel</name>
    <message>
        <source>Choose a file object</source>
        <translation>Elegir un elemento</translation>
    </message>
    <message>
        <source>Choose</source>
        <translation>Elegir</translation>
    </message>
</context>
<context>
    <name>quendle::PathControl</name>
    <message>
        <source>Folder to expand into</source>
        <translation>Carpeta de destino de la extracción</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>Haga doble clic para elegir otra carpeta</translation>
    </message>
    <message>
        <source>%1. Press Space to choose another folder.</source>
        <translation>%1. Pulse Espacio para elegir otra carpeta.</translation>
    </message>
</context>
</TS>
