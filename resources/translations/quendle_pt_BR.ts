<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR">
<context>
    <name>DownloadPanel</name>
    <message>
        <source>Downloading Vorlith</source>
        <translation>Baixando o Vorlith</translation>
    </message>
</context>
<context>
    <name>ExtractingProgressWindow</name>
    <message>
        <source>Expanding</source>
        <translation>Extraindo</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Parar</translation>
    </message>
    <message>
        <source>Stop expanding (Esc)</source>
        <translation>Parar a extração (Esc)</translation>
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
        <translation>Abra um arquivo compactado com o Quendle ou escolha Arquivo ▸ Abrir… e ele será extraído.</translation>
    </message>
    <message>
        <source>When expanding an archive</source>
        <translation>Ao extrair um arquivo compactado</translation>
    </message>
    <message>
        <source>Expand into the folder on the right instead of beside the archive</source>
        <translation>Extrair na pasta à direita em vez de ao lado do arquivo compactado</translation>
    </message>
    <message>
        <source>&amp;Expand into this folder:</source>
        <translation>&amp;Extrair nesta pasta:</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>Clique duas vezes para escolher outra pasta</translation>
    </message>
    <message>
        <source>&amp;Show the expanded item in the file manager</source>
        <translation>&amp;Mostrar o item extraído no gerenciador de arquivos</translation>
    </message>
    <message>
        <source>&amp;After expanding:</source>
        <translation>&amp;Depois de extrair:</translation>
    </message>
    <message>
        <source>Do nothing</source>
        <translation>Não fazer nada</translation>
    </message>
    <message>
        <source>Move the expanded item to the Trash</source>
        <translation>Mover o item extraído para a lixeira</translation>
    </message>
    <message>
        <source>Quendle on the web</source>
        <translation>Quendle na web</translation>
    </message>
    <message>
        <source>&amp;Home Page</source>
        <translation>Página &amp;inicial</translation>
    </message>
    <message>
        <source>Support &amp;Tickets</source>
        <translation>&amp;Tickets de suporte</translation>
    </message>
    <message>
        <source>Download Vorlith, our companion archiver</source>
        <translation>Baixar o Vorlith, nosso compactador complementar</translation>
    </message>
    <message>
        <source>&amp;Download Vorlith…</source>
        <translation>&amp;Baixar Vorlith…</translation>
    </message>
    <message>
        <source>Drop an archive on Quendle to expand it.</source>
        <translation>Solte um arquivo compactado no Quendle para extraí-lo.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Arquivo</translation>
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
        <translation>&amp;Sair</translation>
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
        <translation>Senha</translation>
    </message>
    <message>
        <source>Type in password</source>
        <translation>Digite a senha</translation>
    </message>
    <message>
        <source>The password of the archive</source>
        <translation>A senha do arquivo compactado</translation>
    </message>
    <message>
        <source>Wrong password. Please try again.</source>
        <translation>Senha incorreta. Tente novamente.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
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
        <translation>Extrai um arquivo compactado ao lado dele (ou na pasta escolhida na janela).</translation>
    </message>
    <message>
        <source>archive</source>
        <translation>arquivo</translation>
    </message>
    <message>
        <source>The archive to expand; of several, the first is taken.</source>
        <translation>O arquivo compactado a extrair; se houver vários, o primeiro é usado.</translation>
    </message>
    <message>
        <source>[archive...]</source>
        <translation>[arquivo…]</translation>
    </message>
    <message>
        <source>Try &apos;quendle --help&apos; for more information.</source>
        <translation>Experimente “quendle --help” para mais informações.</translation>
    </message>
    <message>
        <source>cannot open &quot;%1&quot;: no such file or folder</source>
        <translation>não foi possível abrir “%1”: arquivo ou pasta inexistente</translation>
    </message>
    <message>
        <source>one archive at a time: only &quot;%1&quot; is expanded</source>
        <translation>um arquivo por vez: apenas “%1” será extraído</translation>
    </message>
    <message>
        <source>Expand into &lt;folder&gt; this time, whatever the preferences say (they stay as they are).</source>
        <translation>Extrair desta vez em &lt;pasta&gt;, independentemente das preferências (elas não mudam).</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>pasta</translation>
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
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Não</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Sim</translation>
    </message>
</context>
<context>
    <name>quendle::CompanionDownload</name>
    <message>
        <source>Connecting to server</source>
        <translation>Conectando ao servidor</translation>
    </message>
    <message>
        <source>Connected to server</source>
        <translation>Conectado ao servidor</translation>
    </message>
    <message>
        <source>Receiving data</source>
        <translation>Recebendo dados</translation>
    </message>
    <message>
        <source>Update Downloaded</source>
        <translation>Atualização baixada</translation>
    </message>
    <message>
        <source>Vorlith app will be found on the newly opened disk image.</source>
        <translation>O aplicativo Vorlith está na imagem de disco que acabou de ser aberta.</translation>
    </message>
    <message>
        <source>Unable to Download</source>
        <translation>Não foi possível baixar</translation>
    </message>
    <message>
        <source>Quendle was not able to download Vorlith app from the server.</source>
        <translation>O Quendle não conseguiu baixar o aplicativo Vorlith do servidor.</translation>
    </message>
    <message>
        <source>Vorlith app was downloaded to &quot;%1&quot;, but the disk image could not be opened here.</source>
        <translation>O aplicativo Vorlith foi baixado em “%1”, mas a imagem de disco não pode ser aberta aqui.</translation>
    </message>
</context>
<context>
    <name>quendle::DesktopSeam</name>
    <message>
        <source>Archives (%1)</source>
        <translation>Arquivos compactados (%1)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Todos os arquivos (*)</translation>
    </message>
    <message>
        <source>Answer [1-%1]: </source>
        <translation>Resposta [1-%1]: </translation>
    </message>
    <message>
        <source>(no display and no terminal: answered &quot;%1&quot;)</source>
        <translation>(sem tela nem terminal: respondido “%1”)</translation>
    </message>
</context>
<context>
    <name>quendle::ExpansionController</name>
    <message>
        <source>The archiver exited with status %1.</source>
        <translation>O compactador terminou com o status %1.</translation>
    </message>
    <message>
        <source>Cannot Expand Archive.</source>
        <translation>Não foi possível extrair o arquivo compactado.</translation>
    </message>
    <message>
        <source>Type in password for %1</source>
        <translation>Digite a senha de “%1”</translation>
    </message>
    <message>
        <source>Extracting %1</source>
        <translation>Extraindo “%1”</translation>
    </message>
    <message>
        <source>Quendle.</source>
        <translation>Quendle.</translation>
    </message>
    <message>
        <source>Quendle extracts some archive. Please, wait for end of the operation and try again.</source>
        <translation>O Quendle está extraindo um arquivo compactado. Aguarde o fim da operação e tente novamente.</translation>
    </message>
    <message>
        <source>An item named &quot;%1&quot; already exists.</source>
        <translation>Já existe um item chamado “%1”.</translation>
    </message>
    <message>
        <source>Do you want to replace it with the one you’re extracting?</source>
        <translation>Deseja substituí-lo pelo que está sendo extraído?</translation>
    </message>
    <message>
        <source>Cannot Start the Archiver.</source>
        <translation>Não foi possível iniciar o compactador.</translation>
    </message>
    <message>
        <source>What was expanded at &quot;%1&quot; is incomplete.</source>
        <translation>O que foi extraído em “%1” está incompleto.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not an archive.</source>
        <translation>“%1” é uma pasta, não um arquivo compactado.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is empty.</source>
        <translation>“%1” está vazio.</translation>
    </message>
    <message>
        <source>The archive holds no files or folders, so there is nothing to expand.</source>
        <translation>O arquivo não contém arquivos nem pastas, então não há nada para extrair.</translation>
    </message>
    <message>
        <source>It holds the archive being expanded.</source>
        <translation>Ele contém o arquivo que está sendo extraído.</translation>
    </message>
    <message>
        <source>Nothing was extracted, and nothing of yours was changed.</source>
        <translation>Nada foi extraído e nada seu foi alterado.</translation>
    </message>
    <message>
        <source>Nothing was extracted. &quot;%1&quot; is in the Trash, where you can put it back from.</source>
        <translation>Nada foi extraído. “%1” está na lixeira, de onde você pode restaurá-lo.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be moved to the Trash.</source>
        <translation>Não foi possível mover “%1” para a lixeira.</translation>
    </message>
</context>
<context>
    <name>quendle::ExtractingProgressWindow</name>
    <message>
        <source>Expansion progress</source>
        <translation>Progresso da extração</translation>
    </message>
    <message>
        <source>Items of the archive that have appeared on disk</source>
        <translation>Itens do arquivo compactado que já estão no disco</translation>
    </message>
</context>
<context>
    <name>quendle::FileManager</name>
    <message>
        <source>Warning</source>
        <translation>Aviso</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; will be deleted immediately.
Are you sure you want to continue?</source>
        <translation>O arquivo “%1” será excluído imediatamente.
Tem certeza de que deseja continuar?</translation>
    </message>
    <message>
        <source>Cannot Trash Source Files.</source>
        <translation>Não foi possível mover os arquivos de origem para a lixeira.</translation>
    </message>
    <message>
        <source>You are not allowed to move items out of the folder &quot;%1&quot;.</source>
        <translation>Você não tem permissão para mover itens para fora da pasta “%1”.</translation>
    </message>
    <message>
        <source>Its disk has no Trash for you, and none can be made in &quot;%1&quot;.</source>
        <translation>O disco dele não tem lixeira para você, e não é possível criar uma em “%1”.</translation>
    </message>
    <message>
        <source>It was not deleted.</source>
        <translation>Ele não foi excluído.</translation>
    </message>
</context>
<context>
    <name>quendle::OpenPanel</name>
    <message>
        <source>Choose a file object</source>
        <translation>Escolher um item</translation>
    </message>
    <message>
        <source>Choose</source>
        <translation>Escolher</translation>
    </message>
</context>
<context>
    <name>quendle::PathControl</name>
    <message>
        <source>Folder to expand into</source>
        <translation>Pasta de destino da extração</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>Clique duas vezes para escolher outra pasta</translation>
    </message>
    <message>
        <source>%1. Press Space to choose another folder.</source>
        <translation>%1. Pressione Espaço para escolher outra pasta.</translation>
    </message>
</context>
</TS>
