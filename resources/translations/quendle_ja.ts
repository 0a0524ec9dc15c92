<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>DownloadPanel</name>
    <message>
        <source>Downloading Vorlith</source>
        <translation>Vorlith をダウンロード中</translation>
    </message>
</context>
<context>
    <name>ExtractingProgressWindow</name>
    <message>
        <source>Expanding</source>
        <translation>展開中</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Stop expanding (Esc)</source>
        <translation>展開を停止 (Esc)</translation>
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
        <translation>Quendle でアーカイブを開くか、「ファイル ▸ 開く…」を選ぶと展開されます。</translation>
    </message>
    <message>
        <source>When expanding an archive</source>
        <translation>アーカイブの展開時</translation>
    </message>
    <message>
        <source>Expand into the folder on the right instead of beside the archive</source>
        <translation>アーカイブと同じ場所ではなく、右のフォルダーに展開します</translation>
    </message>
    <message>
        <source>&amp;Expand into this folder:</source>
        <translation>このフォルダーに展開(&amp;E):</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>ダブルクリックして別のフォルダーを選択</translation>
    </message>
    <message>
        <source>&amp;Show the expanded item in the file manager</source>
        <translation>展開した項目をファイルマネージャーで表示(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;After expanding:</source>
        <translation>展開後(&amp;A):</translation>
    </message>
    <message>
        <source>Do nothing</source>
        <translation>何もしない</translation>
    </message>
    <message>
        <source>Move the expanded item to the Trash</source>
        <translation>展開した項目をゴミ箱に移動</translation>
    </message>
    <message>
        <source>Quendle on the web</source>
        <translation>Web 上の Quendle</translation>
    </message>
    <message>
        <source>&amp;Home Page</source>
        <translation>ホームページ(&amp;H)</translation>
    </message>
    <message>
        <source>Support &amp;Tickets</source>
        <translation>サポートチケット(&amp;T)</translation>
    </message>
    <message>
        <source>Download Vorlith, our companion archiver</source>
        <translation>姉妹アーカイバー Vorlith をダウンロード</translation>
    </message>
    <message>
        <source>&amp;Download Vorlith…</source>
        <translation>Vorlith をダウンロード(&amp;D)…</translation>
    </message>
    <message>
        <source>Drop an archive on Quendle to expand it.</source>
        <translation>アーカイブを Quendle にドロップすると展開されます。</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation>開く(&amp;O)…</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>終了(&amp;Q)</translation>
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
        <translation>パスワード</translation>
    </message>
    <message>
        <source>Type in password</source>
        <translation>パスワードを入力してください</translation>
    </message>
    <message>
        <source>The password of the archive</source>
        <translation>アーカイブのパスワード</translation>
    </message>
    <message>
        <source>Wrong password. Please try again.</source>
        <translation>パスワードが違います。もう一度入力してください。</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
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
        <translation>アーカイブをその場所（またはウィンドウで選んだフォルダー）に展開します。</translation>
    </message>
    <message>
        <source>archive</source>
        <translation>アーカイブ</translation>
    </message>
    <message>
        <source>The archive to expand; of several, the first is taken.</source>
        <translation>展開するアーカイブ。複数ある場合は最初のものだけを使います。</translation>
    </message>
    <message>
        <source>[archive...]</source>
        <translation>[アーカイブ…]</translation>
    </message>
    <message>
        <source>Try &apos;quendle --help&apos; for more information.</source>
        <translation>詳しくは「quendle --help」を実行してください。</translation>
    </message>
    <message>
        <source>cannot open &quot;%1&quot;: no such file or folder</source>
        <translation>「%1」を開けません: そのファイルまたはフォルダーはありません</translation>
    </message>
    <message>
        <source>one archive at a time: only &quot;%1&quot; is expanded</source>
        <translation>一度に展開するアーカイブは一つです：「%1」だけを展開します</translation>
    </message>
    <message>
        <source>Expand into &lt;folder&gt; this time, whatever the preferences say (they stay as they are).</source>
        <translation>今回は設定に関係なく &lt;フォルダ&gt; に展開します（設定は変わりません）。</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>フォルダ</translation>
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
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>No</source>
        <translation>いいえ</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>はい</translation>
    </message>
</context>
<context>
    <name>quendle::CompanionDownload</name>
    <message>
        <source>Connecting to server</source>
        <translation>サーバーに接続中</translation>
    </message>
    <message>
        <source>Connected to server</source>
        <translation>サーバーに接続しました</translation>
    </message>
    <message>
        <source>Receiving data</source>
        <translation>データを受信中</translation>
    </message>
    <message>
        <source>Update Downloaded</source>
        <translation>アップデートをダウンロードしました</translation>
    </message>
    <message>
        <source>Vorlith app will be found on the newly opened disk image.</source>
        <translation>Vorlith アプリは、今開いたディスクイメージの中にあります。</translation>
    </message>
    <message>
        <source>Unable to Download</source>
        <translation>ダウンロードできません</translation>
    </message>
    <message>
        <source>Quendle was not able to download Vorlith app from the server.</source>
        <translation>Quendle はサーバーから Vorlith アプリをダウンロードできませんでした。</translation>
    </message>
    <message>
        <source>Vorlith app was downloaded to &quot;%1&quot;, but the disk image could not be opened here.</source>
        <translation>Vorlith アプリは「%1」にダウンロードされましたが、ここではディスクイメージを開けません。</translation>
    </message>
</context>
<context>
    <name>quendle::DesktopSeam</name>
    <message>
        <source>Archives (%1)</source>
        <translation>アーカイブ (%1)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>すべてのファイル (*)</translation>
    </message>
    <message>
        <source>Answer [1-%1]: </source>
        <translation>回答 [1-%1]: </translation>
    </message>
    <message>
        <source>(no display and no terminal: answered &quot;%1&quot;)</source>
        <translation>（ディスプレイも端末もないため「%1」と回答しました）</translation>
    </message>
</context>
<context>
    <name>quendle::ExpansionController</name>
    <message>
        <source>The archiver exited with status %1.</source>
        <translation>アーカイバーが終了コード %1 で終了しました。</translation>
    </message>
    <message>
        <source>Cannot Expand Archive.</source>
        <translation>アーカイブを展開できません。</translation>
    </message>
    <message>
        <source>Type in password for %1</source>
        <translation>「%1」のパスワードを入力してください</translation>
    </message>
    <message>
        <source>Extracting %1</source>
        <translation>「%1」を展開中</translation>
    </message>
    <message>
        <source>Quendle.</source>
        <translation>Quendle</translation>
    </message>
    <message>
        <source>Quendle extracts some archive. Please, wait for end of the operation and try again.</source>
        <translation>Quendle は別のアーカイブを展開中です。処理が終わるまで待ってから、もう一度お試しください。</translation>
    </message>
    <message>
        <source>An item named &quot;%1&quot; already exists.</source>
        <translation>「%1」という名前の項目はすでに存在します。</translation>
    </message>
    <message>
        <source>Do you want to replace it with the one you’re extracting?</source>
        <translation>展開中の項目で置き換えますか?</translation>
    </message>
    <message>
        <source>Cannot Start the Archiver.</source>
        <translation>アーカイバーを起動できません。</translation>
    </message>
    <message>
        <source>What was expanded at &quot;%1&quot; is incomplete.</source>
        <translation>「%1」に展開された内容は不完全です。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not an archive.</source>
        <translation>「%1」はフォルダであり、アーカイブではありません。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is empty.</source>
        <translation>「%1」は空です。</translation>
    </message>
    <message>
        <source>The archive holds no files or folders, so there is nothing to expand.</source>
        <translation>アーカイブにはファイルもフォルダもないため、展開するものはありません。</translation>
    </message>
    <message>
        <source>It holds the archive being expanded.</source>
        <translation>展開中のアーカイブがその中にあります。</translation>
    </message>
    <message>
        <source>Nothing was extracted, and nothing of yours was changed.</source>
        <translation>何も展開されず、あなたのファイルは何も変更されていません。</translation>
    </message>
    <message>
        <source>Nothing was extracted. &quot;%1&quot; is in the Trash, where you can put it back from.</source>
        <translation>何も展開されていません。「%1」はゴミ箱にあり、そこから元に戻せます。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be moved to the Trash.</source>
        <translation>「%1」をゴミ箱に移動できませんでした。</translation>
    </message>
</context>
<context>
    <name>quendle::ExtractingProgressWindow</name>
    <message>
        <source>Expansion progress</source>
        <translation>展開の進行状況</translation>
    </message>
    <message>
        <source>Items of the archive that have appeared on disk</source>
        <translation>ディスクに書き出されたアーカイブの項目</translation>
    </message>
</context>
<context>
    <name>quendle::FileManager</name>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; will be deleted immediately.
Are you sure you want to continue?</source>
        <translation>ファイル「%1」はすぐに削除されます。
続行してもよろしいですか?</translation>
    </message>
    <message>
        <source>Cannot Trash Source Files.</source>
        <translation>元のファイルをゴミ箱に移動できません。</translation>
    </message>
    <message>
        <source>You are not allowed to move items out of the folder &quot;%1&quot;.</source>
        <translation>フォルダ「%1」から項目を移動する権限がありません。</translation>
    </message>
    <message>
        <source>Its disk has no Trash for you, and none can be made in &quot;%1&quot;.</source>
        <translation>そのディスクにはあなたのゴミ箱がなく、「%1」に作成することもできません。</translation>
    </message>
    <message>
        <source>It was not deleted.</source>
        <translation>削除されませんでした。</translation>
    </message>
</context>
<context>
    <name>quendle::OpenPanel</name>
    <message>
        <source>Choose a file object</source>
        <translation>項目を選択</translation>
    </message>
    <message>
        <source>Choose</source>
        <translation>選択</translation>
    </message>
</context>
<context>
    <name>quendle::PathControl</name>
    <message>
        <source>Folder to expand into</source>
        <translation>展開先フォルダー</translation>
    </message>
    <message>
        <source>Double-click to choose another folder</source>
        <translation>ダブルクリックして別のフォルダーを選択</translation>
    </message>
    <message>
        <source>%1. Press Space to choose another folder.</source>
        <translation>%1。スペースキーを押すと別のフォルダーを選べます。</translation>
    </message>
</context>
</TS>
