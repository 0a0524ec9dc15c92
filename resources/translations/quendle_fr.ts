<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>DownloadPanel</name>
    <message>
        <source>Downloading Vorlith</source>
        <translation>Téléchargement de Vorlith</translation>
    </message>
</context>
<context>
    <name>ExtractingProgressWindow</name>
    <message>
        <source>Expanding</source>
        <translation>Extraction en cours</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Stop expanding (Esc)</source>
        <translation>Arrêter l’extraction (Échap)</translation>
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
        <translation>Ouvrez une archive avec Quendle ou choisissez Fichier ▸ Ouvrir…&#xa0;: elle sera extraite.</translation>
    </message>
    <message>
        <source>When expanding an archive</source>
        <translation>Lors de l’extraction d’une archive</translation>
    </message>
    <message>
        <source>Expand into the folder on the right instead of beside the archive</source>
        <translation>Extraire dans le dossier de droite plutôt qu’à côté de l’archive</translation>
    </message>
    <message>
        <source>&amp;Expand into this folder:</source>
        <translation>&amp;Extraire dans ce dossier&#xa0;:</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>Double-cliquez pour choisir un autre dossier</translation>
    </message>
    <message>
        <source>&amp;Show the expanded item in the file manager</source>
        <translation>&amp;Afficher l’élément extrait dans le gestionnaire de fichiers</translation>
    </message>
    <message>
        <source>&amp;After expanding:</source>
        <translation>&amp;Après l’extraction&#xa0;:</translation>
    </message>
    <message>
        <source>Do nothing</source>
        <translation>Ne rien faire</translation>
    </message>
    <message>
        <source>Move the expanded item to the Trash</source>
        <translation>Mettre l’élément extrait à la corbeille</translation>
    </message>
    <message>
        <source>Quendle on the web</source>
        <translation>Quendle sur le Web</translation>
    </message>
    <message>
        <source>&amp;Home Page</source>
        <translation>Page d’&amp;accueil</translation>
    </message>
    <message>
        <source>Support &amp;Tickets</source>
        <translation>&amp;Tickets d’assistance</translation>
    </message>
    <message>
        <source>Download Vorlith, our companion archiver</source>
        <translation>Télécharger Vorlith, notre logiciel d’archivage compagnon</translation>
    </message>
    <message>
        <source>&amp;Download Vorlith…</source>
        <translation>&amp;Télécharger Vorlith…</translation>
    </message>
    <message>
        <source>Drop an archive on Quendle to expand it.</source>
        <translation>Déposez une archive sur Quendle pour l’extraire.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation>&amp;Ouvrir…</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
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
        <translation>Mot de passe</translation>
    </message>
    <message>
        <source>Type in password</source>
        <translation>Saisissez le mot de passe</translation>
    </message>
    <message>
        <source>The password of the archive</source>
        <translation>Le mot de passe de l’archive</translation>
    </message>
    <message>
        <source>Wrong password. Please try again.</source>
        <translation>Mot de passe incorrect. Veuillez réessayer.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
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
        <translation>Extrait une archive à côté d’elle (ou dans le dossier choisi dans sa fenêtre).</translation>
    </message>
    <message>
        <source>archive</source>
        <translation>archive</translation>
    </message>
    <message>
        <source>The archive to expand; of several, the first is taken.</source>
        <translation>L’archive à extraire&#xa0;; s’il y en a plusieurs, seule la première est prise.</translation>
    </message>
    <message>
        <source>[archive...]</source>
        <translation>[archive…]</translation>
    </message>
    <message>
        <source>Try &apos;quendle --help&apos; for more information.</source>
        <translation>Saisissez «&#xa0;quendle --help&#xa0;» pour plus d’informations.</translation>
    </message>
    <message>
        <source>cannot open &quot;%1&quot;: no such file or folder</source>
        <translation>impossible d’ouvrir «&#xa0;%1&#xa0;»&#xa0;: fichier ou dossier introuvable</translation>
    </message>
    <message>
        <source>one archive at a time: only &quot;%1&quot; is expanded</source>
        <translation>une archive à la fois : seule «&#xa0;%1&#xa0;» est décompressée</translation>
    </message>
    <message>
        <source>Expand into &lt;folder&gt; this time, whatever the preferences say (they stay as they are).</source>
        <translation>Décompresser cette fois dans &lt;dossier&gt;, quelles que soient les préférences (elles restent inchangées).</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>dossier</translation>
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
        <translation>Annuler</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Non</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Oui</translation>
    </message>
</context>
<context>
    <name>quendle::CompanionDownload</name>
    <message>
        <source>Connecting to server</source>
        <translation>Connexion au serveur</translation>
    </message>
    <message>
        <source>Connected to server</source>
        <translation>Connecté au serveur</translation>
    </message>
    <message>
        <source>Receiving data</source>
        <translation>Réception des données</translation>
    </message>
    <message>
        <source>Update Downloaded</source>
        <translation>Mise à jour téléchargée</translation>
    </message>
    <message>
        <source>Vorlith app will be found on the newly opened disk image.</source>
        <translation>L’application Vorlith se trouve sur l’image disque qui vient d’être ouverte.</translation>
    </message>
    <message>
        <source>Unable to Download</source>
        <translation>Téléchargement impossible</translation>
    </message>
    <message>
        <source>Quendle was not able to download Vorlith app from the server.</source>
        <translation>Quendle n’a pas pu télécharger l’application Vorlith depuis le serveur.</translation>
    </message>
    <message>
        <source>Vorlith app was downloaded to &quot;%1&quot;, but the disk image could not be opened here.</source>
        <translation>L’application Vorlith a été téléchargée dans «&#xa0;%1&#xa0;», mais l’image disque ne peut pas être ouverte ici.</translation>
    </message>
</context>
<context>
    <name>quendle::DesktopSeam</name>
    <message>
        <source>Archives (%1)</source>
        <translation>Archives (%1)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>Answer [1-%1]: </source>
        <translation>Réponse [1-%1]&#xa0;: </translation>
    </message>
    <message>
        <source>(no display and no terminal: answered &quot;%1&quot;)</source>
        <translation>(ni écran ni terminal&#xa0;: réponse «&#xa0;%1&#xa0;»)</translation>
    </message>
</context>
<context>
    <name>quendle::ExpansionController</name>
    <message>
        <source>The archiver exited with status %1.</source>
        <translation>L’archiveur s’est arrêté avec le code %1.</translation>
    </message>
    <message>
        <source>Cannot Expand Archive.</source>
        <translation>Impossible d’extraire l’archive.</translation>
    </message>
    <message>
        <source>Type in password for %1</source>
        <translation>Saisissez le mot de passe de «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>Extracting %1</source>
        <translation>Extraction de «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>Quendle.</source>
        <translation>Quendle.</translation>
    </message>
    <message>
        <source>Quendle extracts some archive. Please, wait for end of the operation and try again.</source>
        <translation>Quendle est en train d’extraire une archive. Veuillez attendre la fin de l’opération, puis réessayer.</translation>
    </message>
    <message>
        <source>An item named &quot;%1&quot; already exists.</source>
        <translation>Un élément nommé «&#xa0;%1&#xa0;» existe déjà.</translation>
    </message>
    <message>
        <source>Do you want to replace it with the one you’re extracting?</source>
        <translation>Voulez-vous le remplacer par celui que vous extrayez&#xa0;?</translation>
    </message>
    <message>
        <source>Cannot Start the Archiver.</source>
        <translation>Impossible de lancer l’archiveur.</translation>
    </message>
    <message>
        <source>What was expanded at &quot;%1&quot; is incomplete.</source>
        <translation>Ce qui a été décompressé dans «&#xa0;%1&#xa0;» est incomplet.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not an archive.</source>
        <translation>«&#xa0;%1&#xa0;» est un dossier, pas une archive.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is empty.</source>
        <translation>«&#xa0;%1&#xa0;» est vide.</translation>
    </message>
    <message>
        <source>The archive holds no files or folders, so there is nothing to expand.</source>
        <translation>L’archive ne contient ni fichier ni dossier : il n’y a rien à décompresser.</translation>
    </message>
    <message>
        <source>It holds the archive being expanded.</source>
        <translation>Il contient l’archive en cours de décompression.</translation>
    </message>
    <message>
        <source>Nothing was extracted, and nothing of yours was changed.</source>
        <translation>Rien n’a été décompressé et rien de vos fichiers n’a été modifié.</translation>
    </message>
    <message>
        <source>Nothing was extracted. &quot;%1&quot; is in the Trash, where you can put it back from.</source>
        <translation>Rien n’a été décompressé. «&#xa0;%1&#xa0;» est dans la corbeille, d’où vous pouvez le restaurer.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be moved to the Trash.</source>
        <translation>«&#xa0;%1&#xa0;» n’a pas pu être mis à la corbeille.</translation>
    </message>
</context>
<context>
    <name>quendle::ExtractingProgressWindow</name>
    <message>
        <source>Expansion progress</source>
        <translation>Progression de l’extraction</translation>
    </message>
    <message>
        <source>Items of the archive that have appeared on disk</source>
        <translation>Éléments de l’archive déjà écrits sur le disque</translation>
    </message>
</context>
<context>
    <name>quendle::FileManager</name>
    <message>
        <source>Warning</source>
        <translation>Avertissement</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; will be deleted immediately.
Are you sure you want to continue?</source>
        <translation>Le fichier «&#xa0;%1&#xa0;» va être supprimé définitivement.
Voulez-vous vraiment continuer&#xa0;?</translation>
    </message>
    <message>
        <source>Cannot Trash Source Files.</source>
        <translation>Impossible de mettre les fichiers source à la corbeille.</translation>
    </message>
    <message>
        <source>You are not allowed to move items out of the folder &quot;%1&quot;.</source>
        <translation>Vous n’avez pas le droit de déplacer des éléments hors du dossier «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>Its disk has no Trash for you, and none can be made in &quot;%1&quot;.</source>
        <translation>Son disque n’a pas de corbeille pour vous, et aucune ne peut être créée dans «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>It was not deleted.</source>
        <translation>Il n’a pas été supprimé.</translation>
    </message>
</context>
<context>
    <name>quendle::OpenPanel</name>
    <message>
        <source>Choose a file object</source>
        <translation>Choisir un élément</translation>
    </message>
    <message>
        <source>Choose</source>
        <translation>Choisir</translation>
    </message>
</context>
<context>
    <name>quendle::PathControl</name>
    <message>
        <source>Folder to expand into</source>
        <translation>Dossier de destination de l’extraction</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>Double-cliquez pour choisir un autre dossier</translation>
    </message>
    <message>
        <source>%1. Press Space to choose another folder.</source>
        <translation>%1. Appuyez sur Espace pour choisir un autre dossier.</translation>
    </message>
</context>
</TS>
