-- Drives qosa-lsp from Neovim's own LSP client (headless; written for the
-- 0.7 API, skipping what needs a newer one) on a .qosa file in each keyword
-- language, and reads every answer through the client's own functions. The
-- client is the one the user's init.lua (the README's snippet, see run.sh)
-- starts when a .qosa file is opened.
--
--   nvim --headless -i NONE -n -c 'luafile session.lua'
--
-- The last line printed is "N passed, N failed, N skipped"; the exit code is
-- 0 when nothing failed.
local lsp = vim.lsp
local util = vim.lsp.util

local passed, failed, skipped = 0, 0, 0
local function say(text) io.stdout:write(text .. '\n') end
local function pass(what) passed = passed + 1; say('ok      ' .. what) end
local function fail(what, detail)
  failed = failed + 1
  say('FAILED  ' .. what .. (detail and ('\n        ' .. detail) or ''))
end
local function skip(what) skipped = skipped + 1; say('skipped ' .. what) end
local function check(what, condition, detail)
  if condition then pass(what) else fail(what, detail and vim.inspect(detail)) end
end

local dir = vim.fn.tempname()
vim.fn.mkdir(dir, 'p')

-- Counted through the default handler, which the snippet's client uses.
local published = {}  -- uri -> number of diagnostics notifications
local default_publish = lsp.handlers['textDocument/publishDiagnostics']
lsp.handlers['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
  published[result.uri] = (published[result.uri] or 0) + 1
  return default_publish(err, result, ctx, config)
end

local function clients_of(bufnr)
  if lsp.get_clients then return lsp.get_clients({ bufnr = bufnr }) end
  return vim.tbl_values(lsp.buf_get_clients(bufnr))
end
local function qosa_clients()
  local all = lsp.get_clients and lsp.get_clients() or lsp.get_active_clients()
  return vim.tbl_filter(function(c) return c.name == 'qosa-lsp' end, all)
end

local client, client_id
-- The first .qosa file starts the client; every later one is attached to it.
local function take_client(bufnr, label)
  local attached = vim.wait(10000, function() return #clients_of(bufnr) > 0 end, 20)
  check(label('a client attached by the snippet'), attached)
  if not attached then error('no client attached') end
  local clients = clients_of(bufnr)
  if not client then
    client = clients[1]
    client_id = client.id
    check('the server initialized', vim.wait(10000, function() return client.initialized end, 20))
    check('the server announces hover and completion',
      client.server_capabilities.hoverProvider and client.server_capabilities.completionProvider,
      client.server_capabilities)
  end
  check(label('one server for every QOSA buffer'),
    #clients == 1 and clients[1].id == client_id and #qosa_clients() == 1,
    { running = vim.tbl_map(function(c) return c.id end, qosa_clients()), first = client_id })
end

-- Sends one request through the client and gives its result, or nil when it
-- was skipped or failed.
local function request(bufnr, method, params, what)
  local responses, err = lsp.buf_request_sync(bufnr, method, params, 10000)
  local response = responses and responses[client_id]
  if not response then
    fail(what .. ': answered', err or 'no response')
    return nil
  end
  if response.err or response.error then
    local e = response.err or response.error
    fail(what .. ': answered', vim.inspect(e))
    return nil
  end
  pass(what .. ': answered')
  return response.result
end

local function place_cursor(line, byte_col) vim.api.nvim_win_set_cursor(0, { line + 1, byte_col }) end
local function buffer_text(bufnr) return table.concat(vim.api.nvim_buf_get_lines(bufnr, 0, -1, false), '\n') end

-- The documents, one per keyword language. Positions are (line, byte column)
-- as the cursor is placed; the client converts them to UTF-16 itself.
local documents = {
  {
    file = 'sayaç.qosa',
    lines = { 'değişken sayaç = 0', 'fonksiyon topla(a, b) {', '    dön a + b', '}', 'yazdır(sayaç)',
              'eğer sayaç > 0 ise' },
    name = 'sayaç', use = { 4, 8 }, declaration_line = 0, call = { 4, 8 },
    brace_open = false,
  },
  {
    file = 'counter.qosa',
    lines = { 'let counter = 0', 'function add(a, b) {', '    return a + b', 'print(counter)',
              'if counter > 0 then' },
    name = 'counter', use = { 3, 7 }, declaration_line = 0, call = { 3, 6 },
    brace_open = true,
  },
}

local function run_document(doc)
  local path = dir .. '/' .. doc.file
  vim.fn.writefile(doc.lines, path)
  vim.cmd('edit ' .. vim.fn.fnameescape(path))
  local bufnr = vim.api.nvim_get_current_buf()
  local uri = vim.uri_from_bufnr(bufnr)
  local label = function(what) return what .. ' (' .. doc.file .. ')' end
  check(label('file type detected'), vim.bo.filetype == 'qosa', vim.bo.filetype)
  take_client(bufnr, label)
  check(label('diagnostics published'), vim.wait(10000, function() return (published[uri] or 0) > 0 end, 20))
  local diagnostics = vim.diagnostic.get(bufnr)
  check(label('diagnostics as the text needs'), (#diagnostics == 1) == doc.brace_open, diagnostics)

  place_cursor(0, 1)
  local hover = request(bufnr, 'textDocument/hover', util.make_position_params(), label('hover'))
  if hover then
    local lines = util.trim_empty_lines(util.convert_input_to_markdown_lines(hover.contents))
    check(label('hover reads as markdown'), #lines > 0, hover)
    check(label('hover on the declaration keyword'), lines[1] == '**Değişken Tanımı / Variable Declaration**', lines)
  end

  place_cursor(0, 0)
  local completion = request(bufnr, 'textDocument/completion', util.make_position_params(), label('completion'))
  if completion then
    local items = util.text_document_completion_list_to_complete_items(completion, '')
    check(label('completion items for the menu'), #items > 0)
  end

  place_cursor(doc.use[1], doc.use[2])
  local definition = request(bufnr, 'textDocument/definition', util.make_position_params(), label('definition'))
  if definition then
    local items = util.locations_to_items(vim.tbl_islist(definition) and definition or { definition },
      client.offset_encoding)
    check(label('definition on the declaration line'),
      #items == 1 and items[1].lnum == doc.declaration_line + 1 and items[1].text:find(doc.name, 1, true), items)
  end

  local params = util.make_position_params()
  params.context = { includeDeclaration = true }
  local references = request(bufnr, 'textDocument/references', params, label('references'))
  if references then
    local items = util.locations_to_items(references, client.offset_encoding)
    check(label('references as quickfix items'), #items >= 2, items)
  end

  -- From 0.8 on, the client sends it only to a server that announces prepareProvider.
  if client.supports_method('textDocument/prepareRename') then
    local prepared = request(bufnr, 'textDocument/prepareRename', util.make_position_params(), label('prepareRename'))
    if prepared then check(label('prepareRename offers the name'), prepared.placeholder == doc.name, prepared) end
  else
    skip(label('prepareRename: this client asks it only of servers that announce prepareProvider'))
  end

  local symbols = request(bufnr, 'textDocument/documentSymbol', { textDocument = util.make_text_document_params() },
    label('documentSymbol'))
  if symbols then
    local items = util.symbols_to_items(symbols, bufnr)
    local named = false
    for _, item in ipairs(items) do named = named or item.text:find(doc.name, 1, true) ~= nil end
    check(label('documentSymbol as location-list items'), #items >= 2 and named, items)
  end

  place_cursor(doc.call[1], doc.call[2])
  local signature = request(bufnr, 'textDocument/signatureHelp', util.make_position_params(), label('signatureHelp'))
  if signature then
    local lines = util.convert_signature_help_to_markdown_lines(signature, 'qosa', { '(', ',' })
    check(label('signatureHelp reads as markdown'), lines and #lines > 0, signature)
  end

  local lenses = request(bufnr, 'textDocument/codeLens', { textDocument = util.make_text_document_params() },
    label('codeLens'))
  if lenses then
    local ok, err = pcall(lsp.codelens.on_codelens, nil, lenses, { bufnr = bufnr, client_id = client_id }, nil)
    check(label('codeLens shown by the client'), ok and #lsp.codelens.get(bufnr) == #lenses, err)
  end

  if lsp.semantic_tokens then
    local tokens = request(bufnr, 'textDocument/semanticTokens/full', { textDocument = util.make_text_document_params() },
      label('semanticTokens/full'))
    if tokens then check(label('semanticTokens come in fives'), #tokens.data % 5 == 0, tokens) end
  else
    skip(label('semanticTokens/full: this Neovim (' .. tostring(vim.version().minor and
      ('0.' .. vim.version().minor) or '?') .. ') has no semantic-token client; it needs 0.9'))
  end

  local hints = request(bufnr, 'textDocument/inlayHint', {
    textDocument = util.make_text_document_params(),
    range = { start = { line = 0, character = 0 }, ['end'] = { line = #doc.lines, character = 0 } },
  }, label('inlayHint'))
  if hints then check(label('inlayHint answers a list'), vim.tbl_islist(hints), hints) end

  -- Code actions on the first line, with a diagnostic of our own; the extract
  -- edit is applied through the client, the way a chosen action is.
  local actions = request(bufnr, 'textDocument/codeAction', {
    textDocument = util.make_text_document_params(),
    range = { start = { line = 0, character = 0 }, ['end'] = { line = 0, character = 3 } },
    context = { diagnostics = { {
      range = { start = { line = 1, character = 0 }, ['end'] = { line = 1, character = 4 } },
      message = "Variable 'x' is undefined", severity = 1,
    } } },
  }, label('codeAction'))
  if actions then
    local extract
    for _, action in ipairs(actions) do
      if action.title == 'Extract to variable' then extract = action end
    end
    local ok, err = pcall(function() util.apply_workspace_edit(extract.edit, client.offset_encoding) end)
    check(label('codeAction edit applied by the client'),
      ok and vim.api.nvim_buf_get_lines(bufnr, 0, 1, false)[1]:find('yeni_değişken', 1, true) == 1, err or actions)
    vim.cmd('silent undo')
  end

  -- Rename last, applied through the client: every occurrence changes.
  place_cursor(doc.use[1], doc.use[2])
  params = util.make_position_params()
  params.newName = 'yeni_ad'
  local rename = request(bufnr, 'textDocument/rename', params, label('rename'))
  if rename then
    local before = buffer_text(bufnr)
    local ok, err = pcall(util.apply_workspace_edit, rename, client.offset_encoding)
    local after = buffer_text(bufnr)
    check(label('rename applied by the client'),
      ok and not after:find(doc.name, 1, true) and select(2, after:gsub('yeni_ad', '')) == select(2, before:gsub(doc.name, '')),
      err or after)
  end

  vim.cmd('silent write')
end

local ok, err = pcall(function()
  for _, doc in ipairs(documents) do run_document(doc) end
end)
check('the session ran to its end', ok, err)

-- A first character outside the BMP is two UTF-16 units: the brace
-- diagnostic's range ends after both, not between the halves of the pair.
-- The range is read as it arrives (the client rounds a column inside a pair
-- up when it converts it to bytes, so what it shows cannot tell).
local astral_ok, astral_err = pcall(function()
  local method = 'textDocument/publishDiagnostics'
  local counting = client.handlers[method] or lsp.handlers[method]
  local arrived
  client.handlers[method] = function(e, result, ctx, config)
    if result.uri:find('/astral.qosa', 1, true) then arrived = result.diagnostics end
    return counting(e, result, ctx, config)
  end
  local path = dir .. '/astral.qosa'
  vim.fn.writefile({ '😀 fonksiyon f() {' }, path)
  vim.cmd('edit ' .. vim.fn.fnameescape(path))
  local bufnr = vim.api.nvim_get_current_buf()
  take_client(bufnr, function(what) return what .. ' (astral.qosa)' end)
  check('diagnostics published (astral.qosa)', vim.wait(10000, function() return arrived ~= nil end, 20))
  local range = arrived and arrived[1] and arrived[1].range
  check('the brace diagnostic on a first "😀" is (0,0)-(0,2)',
    range and range.start.line == 0 and range.start.character == 0 and range['end'].line == 0 and
    range['end'].character == 2, arrived)
  local shown = vim.diagnostic.get(bufnr)[1]
  check('the client shows it over the four bytes of "😀"', shown and shown.col == 0 and shown.end_col == 4, shown)
  client.handlers[method] = counting
end)
check('the session on a first "😀" ran to its end', astral_ok, astral_err)

-- Shutdown and exit through the client's own stop.
if client then
  client.stop()
  check('the server stopped', vim.wait(10000, function() return client.is_stopped() end, 20))
end
-- An error in the snippet or in a handler shows as an editor message.
check('Neovim showed no error message', vim.v.errmsg == '', vim.v.errmsg)

-- The client's log: the server's stderr lines are logged as errors by this
-- client; any other error is one of the client's own.
local log_errors = {}
local log_path = lsp.get_log_path()
if vim.fn.filereadable(log_path) == 1 then
  for _, line in ipairs(vim.fn.readfile(log_path)) do
    if line:find('^%[ERROR%]') and not line:find('"stderr"', 1, true) then table.insert(log_errors, line) end
  end
end
check('the client logged no error', #log_errors == 0, log_errors)

vim.fn.delete(dir, 'rf')
say(string.format('%d passed, %d failed, %d skipped', passed, failed, skipped))
vim.cmd(failed == 0 and passed > 0 and 'qall!' or 'cquit 1')
